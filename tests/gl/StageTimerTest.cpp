#include "render/StageTimer.h"

#include "support/GlTest.h"

#include <string>
#include <vector>

namespace {

PFNGLGETQUERYOBJECTUIVPROC realGetQueryObjectuiv = nullptr;
PFNGLGETQUERYOBJECTUI64VPROC realGetQueryObjectui64v = nullptr;
int resultReads = 0;

// A driver that is always behind: no result is ever available.
void GLAPIENTRY neverAvailable(GLuint query, GLenum name, GLuint* value) {
    if (name == GL_QUERY_RESULT_AVAILABLE) {
        *value = GL_FALSE;
        return;
    }
    realGetQueryObjectuiv(query, name, value);
}

void GLAPIENTRY countedResultRead(GLuint query, GLenum name, GLuint64* value) {
    ++resultReads;
    realGetQueryObjectui64v(query, name, value);
}

class StageTimerTest : public GlTest {
  protected:
    void runFrames(StageTimer& timer, int frames, std::vector<size_t>& collectedPerFrame) {
        for (int frame = 0; frame < frames; ++frame) {
            timer.beginFrame();
            collectedPerFrame.push_back(timer.collected().size());
            for (size_t stage = 0; stage < 2; ++stage) {
                timer.beginStage(stage);
                glClear(GL_COLOR_BUFFER_BIT);
                timer.endStage();
            }
            glFinish();
        }
    }
};

TEST_F(StageTimerTest, ReadsEachFramesTimesOnceWhenItsQueriesComeRound) {
    StageTimer timer({"first", "second"});
    std::vector<size_t> collected;
    runFrames(timer, 5, collected);
    EXPECT_EQ(collected, (std::vector<size_t>{0, 0, 0, 2, 2}));
    ASSERT_EQ(timer.collected().size(), 2u);
    EXPECT_EQ(std::string(timer.collected()[0].stage), "first");
    EXPECT_EQ(std::string(timer.collected()[1].stage), "second");
    EXPECT_EQ(timer.droppedFrames(), 0u);
}

TEST_F(StageTimerTest, DropsAFrameWhoseResultsAreNotThereInsteadOfWaiting) {
    StageTimer timer({"first", "second"});
    realGetQueryObjectuiv = __glewGetQueryObjectuiv;
    realGetQueryObjectui64v = __glewGetQueryObjectui64v;
    __glewGetQueryObjectuiv = neverAvailable;
    __glewGetQueryObjectui64v = countedResultRead;
    resultReads = 0;
    std::vector<size_t> collected;
    runFrames(timer, 6, collected);
    __glewGetQueryObjectuiv = realGetQueryObjectuiv;
    __glewGetQueryObjectui64v = realGetQueryObjectui64v;

    EXPECT_EQ(collected, (std::vector<size_t>(6, 0)));
    EXPECT_EQ(resultReads, 0) << "a result was read without being available: that read waits for the GPU";
    EXPECT_EQ(timer.droppedFrames(), 3u);
}

} // namespace
