// DEMO_GL_DEBUG's output as a user reads it: the driver's lines first; each distinct message once, with
// its type, severity and the innermost group the engine had open, written only when the engine asks
// (between frames), never from inside the driver's call; the engine's own groups never; then the count.
#include "app/GlDebugOutput.h"
#include "assets/DebugNames.h"
#include "support/GlTest.h"

#include <sstream>

namespace {

class GlDebugOutputTest : public GlTest {};

TEST_F(GlDebugOutputTest, EachMessageIsWrittenOnceBetweenFramesWithItsGroupAndCounted) {
    GLDEBUGPROC suiteCallback = nullptr;
    glGetPointerv(GL_DEBUG_CALLBACK_FUNCTION, reinterpret_cast<void**>(&suiteCallback));
    std::ostringstream errors;
    std::streambuf* const previous = std::cerr.rdbuf(errors.rdbuf());
    const auto take = [&] {
        const std::string text = errors.str();
        errors.str("");
        return text;
    };

    startGlDebugOutput(GlDebugLevel::All);
    const std::string driver = take();
    {
        const DebugGroup stage("main");
        const DebugGroup object("house.obj");
        for (int repeat = 0; repeat < 3; ++repeat)
            glBindBuffer(GL_ARRAY_BUFFER, 4000000); // a name never generated
    }
    glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 7, GL_DEBUG_SEVERITY_NOTIFICATION,
                         -1, "a marker");
    const std::string duringTheFrame = take();
    writeGlDebugMessages();
    const std::string betweenFrames = take();
    finishGlDebugOutput();
    const std::string atTheEnd = take();

    std::cerr.rdbuf(previous);
    glDebugMessageCallback(suiteCallback, nullptr);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    drainGlErrors();

    EXPECT_EQ(driver.rfind("demo: GL vendor: ", 0), 0u) << driver;
    EXPECT_NE(driver.find("\ndemo: GL renderer: llvmpipe"), std::string::npos) << driver;
    EXPECT_NE(driver.find("\ndemo: GLSL version: "), std::string::npos) << driver;
    EXPECT_EQ(duringTheFrame, "") << "written from inside the driver's call";
    const std::string error = "demo: GL error (high severity, api) in \"house.obj\": GL_INVALID_OPERATION";
    const std::string marker =
        "demo: GL marker (notification severity, application) outside any group: a marker\n";
    ASSERT_EQ(betweenFrames.rfind(error, 0), 0u) << betweenFrames;
    EXPECT_EQ(betweenFrames.substr(betweenFrames.find('\n') + 1), marker) << betweenFrames;
    EXPECT_EQ(atTheEnd, "demo: GL debug output: 4 messages (3 high, 0 medium, 0 low, 1 notification), 2 "
                        "distinct, 1 of them repeated, 2 times more\n");
}

} // namespace
