#include "assets/ShaderProgram.h"

#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

#include <set>

namespace {

const std::string GoodVertex = R"(#version 450 core
layout(location = 0) in vec3 position;
uniform mat4 model;
uniform mat4 viewProjection;
void main() { gl_Position = viewProjection * model * vec4(position, 1.0); }
)";

const std::string GoodFragment = R"(#version 450 core
uniform vec4 colour;
out vec4 fragColour;
void main() { fragColour = colour; }
)";

const std::string GoodGeometry = R"(#version 450 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
uniform int layer;
void main() {
    for (int i = 0; i < 3; ++i) {
        gl_Layer = layer;
        gl_Position = gl_in[i].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}
)";

const std::string BrokenStage = "#version 450 core\nvoid main() { this is not glsl; }\n";

// Compiles on its own but cannot link: the function is declared and never defined.
const std::string UnlinkableFragment = R"(#version 450 core
out vec4 fragColour;
vec4 shade();
void main() { fragColour = shade(); }
)";

// Every shader and program object alive in the context, among the names up to `limit`.
std::set<GLuint> liveShaderObjects(GLuint limit) {
    std::set<GLuint> live;
    for (GLuint name = 1; name <= limit; ++name)
        if (glIsShader(name) || glIsProgram(name))
            live.insert(name);
    return live;
}

// The driver's own log for a source, obtained without the code under test.
std::string driverCompileLog(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    char log[4096] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    glDeleteShader(shader);
    for (const std::string& message : GlTest::debugErrors())
        EXPECT_NE(std::string(log).find(message), std::string::npos) << "unexpected debug error: " << message;
    GlTest::clearDebugErrors();
    return log;
}

std::string driverLinkLog(const std::string& vertex, const std::string& fragment) {
    const GLuint program = glCreateProgram();
    for (const auto& [type, source] :
         {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
        const GLuint shader = glCreateShader(type);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    char log[4096] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    glDeleteProgram(program);
    return log;
}

class ShaderProgramTest : public GlTest {
  protected:
    TempTree tree;
    GLuint scanLimit = 0;

    // Shader and program names share one pool; everything a test creates lies below the next free name
    // plus a margin. Probed here, while no entry point is swapped for a fake.
    void SetUp() override {
        GlTest::SetUp();
        const GLuint probe = glCreateShader(GL_VERTEX_SHADER);
        glDeleteShader(probe);
        scanLimit = probe + 256;
    }
    std::set<GLuint> liveShaderObjects() const { return ::liveShaderObjects(scanLimit); }

    std::string directory() const { return tree.shaders().string() + "/"; }
    void writeStage(const std::string& fileName, const std::string& source) const {
        tree.write(std::filesystem::path("Resources") / "Shaders" / fileName, source);
    }
    // Builds and expects failure: the build must hand back null and leave no object behind.
    std::string failedBuildOutput(const std::string& baseName, bool withGeometry,
                                  const std::string& from = "") {
        const std::set<GLuint> before = liveShaderObjects();
        CoutCapture output;
        const ShaderProgram* shader =
            createShaderProgram(from.empty() ? directory() : from, baseName, withGeometry);
        EXPECT_EQ(shader, nullptr);
        EXPECT_EQ(liveShaderObjects(), before) << "a failed build left shader or program objects";
        acceptCompilerMessages(output.text());
        return output.text();
    }
};

} // namespace

TEST_F(ShaderProgramTest, GoodSourcesLinkWithTheirUniformsAndDestroyLeavesNothing) {
    writeStage("Lit.vert", GoodVertex);
    writeStage("Lit.frag", GoodFragment);
    writeStage("Lit.geom", GoodGeometry);
    for (const bool withGeometry : {false, true}) {
        SCOPED_TRACE(withGeometry ? "three stages" : "two stages");
        const std::set<GLuint> before = liveShaderObjects();
        CoutCapture output;
        ShaderProgram* shader = createShaderProgram(directory(), "Lit", withGeometry);
        ASSERT_NE(shader, nullptr);
        EXPECT_EQ(output.text(), "");

        GLint linked = 0;
        glGetProgramiv(shader->program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        GLuint attached[4] = {};
        GLsizei count = 0;
        glGetAttachedShaders(shader->program, 4, &count, attached);
        std::set<GLuint> expected{shader->vertexShader, shader->fragmentShader};
        if (withGeometry)
            expected.insert(shader->geometryShader);
        else
            EXPECT_EQ(shader->geometryShader, 0u);
        EXPECT_EQ(std::set<GLuint>(attached, attached + count), expected);
        for (const char* uniform : {"model", "viewProjection", "colour"})
            EXPECT_GE(glGetUniformLocation(shader->program, uniform), 0) << uniform;
        EXPECT_EQ(glGetUniformLocation(shader->program, "layer") >= 0, withGeometry);

        destroyShaderProgram(shader);
        EXPECT_EQ(liveShaderObjects(), before);
    }
    destroyShaderProgram(nullptr);
}

TEST_F(ShaderProgramTest, MissingVertexFileStillCompilesTheFragmentStage) {
    const ScopedWorkingDirectory inWork(tree.work());
    const std::string vertexPath = "../Resources/Shaders/Phong.vert";
    const std::string fragmentPath = "../Resources/Shaders/Phong.frag";

    writeStage("Phong.frag", GoodFragment);
    std::string text = failedBuildOutput("Phong", false, ShaderDirectory);
    EXPECT_EQ(text, "ERROR OPENING FILE: " + vertexPath + "\nDELETING ERRONEOUS SHADER: Phong\n");

    // A broken fragment stage shows that it was compiled, between the two lines.
    writeStage("Phong.frag", BrokenStage);
    const std::string log = driverCompileLog(GL_FRAGMENT_SHADER, BrokenStage);
    ASSERT_NE(log, "");
    text = failedBuildOutput("Phong", false, ShaderDirectory);
    EXPECT_EQ(text, "ERROR OPENING FILE: " + vertexPath + "\nCOMPILER ERROR:" + fragmentPath + log +
                        "\nDELETING ERRONEOUS SHADER: Phong\n");
}

TEST_F(ShaderProgramTest, CompileErrorPrintsPathAndLogWithNothingBetween) {
    writeStage("Bad.vert", BrokenStage);
    writeStage("Bad.frag", GoodFragment);
    const std::string log = driverCompileLog(GL_VERTEX_SHADER, BrokenStage);
    ASSERT_NE(log, "");
    EXPECT_EQ(failedBuildOutput("Bad", false),
              "COMPILER ERROR:" + directory() + "Bad.vert" + log + "\nDELETING ERRONEOUS SHADER: Bad\n");
}

TEST_F(ShaderProgramTest, LinkErrorPrintsTheLinkLog) {
    writeStage("Unlinked.vert", GoodVertex);
    writeStage("Unlinked.frag", UnlinkableFragment);
    const std::string log = driverLinkLog(GoodVertex, UnlinkableFragment);
    ASSERT_NE(log, "");
    EXPECT_EQ(failedBuildOutput("Unlinked", false),
              "ERROR LINKING PROGRAM SHADER: " + log + "\nDELETING ERRONEOUS SHADER: Unlinked\n");
}

TEST_F(ShaderProgramTest, AFileOfExactlyERRORCountsAsUnreadable) {
    writeStage("Word.frag", GoodFragment);
    writeStage("Word.vert", "ERROR");
    EXPECT_EQ(failedBuildOutput("Word", false), "DELETING ERRONEOUS SHADER: Word\n");

    // No shader object is made for it, and the output name is left alone.
    uint32_t shader = 777;
    CoutCapture output;
    EXPECT_FALSE(compileStage(directory() + "Word.vert", GL_VERTEX_SHADER, shader));
    EXPECT_FALSE(compileStage(directory() + "Absent.vert", GL_VERTEX_SHADER, shader));
    EXPECT_EQ(shader, 777u);
    EXPECT_EQ(output.text(), "ERROR OPENING FILE: " + directory() + "Absent.vert\n");

    // Text that merely starts with the word is handed to the compiler.
    for (const std::string content : {"ERROR\n", "ERRORS"}) {
        writeStage("Word.vert", content);
        const std::string text = failedBuildOutput("Word", false);
        EXPECT_EQ(text.rfind("COMPILER ERROR:" + directory() + "Word.vert", 0), 0u) << text;
    }
}

TEST_F(ShaderProgramTest, ThreeStageBuildStopsAtABadGeometryStage) {
    writeStage("Shadow.vert", GoodVertex);
    writeStage("Shadow.frag", GoodFragment);
    EXPECT_EQ(failedBuildOutput("Shadow", true),
              "ERROR OPENING FILE: " + directory() + "Shadow.geom\nDELETING ERRONEOUS SHADER: Shadow\n");

    writeStage("Shadow.geom", BrokenStage);
    const std::string log = driverCompileLog(GL_GEOMETRY_SHADER, BrokenStage);
    EXPECT_EQ(failedBuildOutput("Shadow", true), "COMPILER ERROR:" + directory() + "Shadow.geom" + log +
                                                     "\nDELETING ERRONEOUS SHADER: Shadow\n");
}

TEST_F(ShaderProgramTest, ReadTextFileReturnsTheWholeFileByteForByte) {
    const std::string content = "line one\r\n\tline two\n\nno final line end";
    writeStage("Plain.txt", content);
    EXPECT_EQ(readTextFile(directory() + "Plain.txt"), content);
    writeStage("Empty.txt", "");
    EXPECT_EQ(readTextFile(directory() + "Empty.txt"), "");
}

// The remaining failures cannot be provoked through a working driver, so the tests swap GLEW's entry
// points for fakes while the build runs.
namespace {

template <typename Function> class ScopedEntryPoint {
  public:
    ScopedEntryPoint(Function& slot, Function fake) : slot_(slot), saved_(slot) { slot_ = fake; }
    ~ScopedEntryPoint() { slot_ = saved_; }
    ScopedEntryPoint(const ScopedEntryPoint&) = delete;
    ScopedEntryPoint& operator=(const ScopedEntryPoint&) = delete;

  private:
    Function& slot_;
    Function saved_;
};

PFNGLGETSHADERIVPROC realGetShaderiv = nullptr;
PFNGLGETPROGRAMIVPROC realGetProgramiv = nullptr;

// A failed compile or link whose driver has no log at all: length 0, not even a terminating NUL.
void GLAPIENTRY failedWithoutShaderLog(GLuint shader, GLenum name, GLint* value) {
    if (name == GL_COMPILE_STATUS || name == GL_INFO_LOG_LENGTH)
        *value = 0;
    else
        realGetShaderiv(shader, name, value);
}

void GLAPIENTRY failedWithoutProgramLog(GLuint program, GLenum name, GLint* value) {
    if (name == GL_LINK_STATUS || name == GL_INFO_LOG_LENGTH)
        *value = 0;
    else
        realGetProgramiv(program, name, value);
}

GLuint GLAPIENTRY noShaderHandle(GLenum) {
    return 0;
}
GLuint GLAPIENTRY noProgramHandle() {
    return 0;
}

} // namespace

TEST_F(ShaderProgramTest, EmptyInfoLogsPrintTheMessageAlone) {
    writeStage("Quiet.vert", GoodVertex);
    writeStage("Quiet.frag", GoodFragment);
    realGetShaderiv = glGetShaderiv;
    realGetProgramiv = glGetProgramiv;
    {
        const ScopedEntryPoint hook(__glewGetShaderiv, failedWithoutShaderLog);
        EXPECT_EQ(failedBuildOutput("Quiet", false), "COMPILER ERROR:" + directory() +
                                                         "Quiet.vert\nCOMPILER ERROR:" + directory() +
                                                         "Quiet.frag\nDELETING ERRONEOUS SHADER: Quiet\n");
    }
    {
        const ScopedEntryPoint hook(__glewGetProgramiv, failedWithoutProgramLog);
        EXPECT_EQ(failedBuildOutput("Quiet", false),
                  "ERROR LINKING PROGRAM SHADER: \nDELETING ERRONEOUS SHADER: Quiet\n");
    }
}

TEST_F(ShaderProgramTest, RefusedHandlesAreReported) {
    writeStage("Refused.vert", GoodVertex);
    writeStage("Refused.frag", GoodFragment);
    {
        const ScopedEntryPoint hook(__glewCreateShader, noShaderHandle);
        EXPECT_EQ(failedBuildOutput("Refused", false), "ERROR CREATING SHADER HANDLE\nERROR CREATING SHADER "
                                                       "HANDLE\nDELETING ERRONEOUS SHADER: Refused\n");
    }
    {
        // Both stages compiled here; they must not outlive the refused program.
        const ScopedEntryPoint hook(__glewCreateProgram, noProgramHandle);
        EXPECT_EQ(failedBuildOutput("Refused", false),
                  "ERROR CREATING SHADER PROGRAM\nDELETING ERRONEOUS SHADER: Refused\n");
    }
}
