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
        glBindVertexArray(4000000);                 // the same id from Mesa, another text
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
    const std::string error =
        "demo: GL error (high severity, api) in \"house.obj\": GL_INVALID_OPERATION in ";
    std::istringstream lines(betweenFrames);
    std::string line;
    for (const char* call : {"glBindBuffer", "glBindVertexArray"})
        EXPECT_TRUE(std::getline(lines, line) && line.rfind(error + call, 0) == 0) << betweenFrames;
    EXPECT_TRUE(std::getline(lines, line) &&
                line == "demo: GL marker (notification severity, application) outside any group: a marker")
        << betweenFrames;
    EXPECT_FALSE(std::getline(lines, line)) << betweenFrames;
    EXPECT_EQ(atTheEnd, "demo: GL debug output: 5 messages (4 high, 0 medium, 0 low, 1 notification), 3 "
                        "distinct, 1 of them repeated, 2 times more\n");
}

} // namespace
