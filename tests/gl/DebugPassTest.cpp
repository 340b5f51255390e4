#include "render/DebugPass.h"

#include "EffectsGl.h"
#include "assets/ShaderProgram.h"
#include "support/CoutCapture.h"

namespace {

class DebugPassTest : public GlTest {
  protected:
    effects::ShaderTree tree;
};

TEST_F(DebugPassTest, BuildsTheDebuggerProgramSilentlyAndFindsItsSampler) {
    CoutCapture output;
    const DebugPass pass;
    EXPECT_EQ(output.text(), "");
    ASSERT_NE(pass.program, nullptr);
    EXPECT_TRUE(glIsProgram(pass.program->program));
    EXPECT_GE(pass.texLocation, 0);
}

TEST_F(DebugPassTest, MissingFilesGiveTwoOpenErrorsAndOneDeletionLine) {
    std::filesystem::remove(tree.tree().shaders() / "Debugger.vert");
    std::filesystem::remove(tree.tree().shaders() / "Debugger.frag");
    CoutCapture output;
    const DebugPass pass;
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "ERROR OPENING FILE: ../Resources/Shaders/Debugger.vert",
                                  "ERROR OPENING FILE: ../Resources/Shaders/Debugger.frag",
                                  "DELETING ERRONEOUS SHADER: Debugger",
                              }));
    EXPECT_EQ(pass.program, nullptr);
    EXPECT_EQ(pass.texLocation, -1);
}

TEST_F(DebugPassTest, DestructionDeletesTheProgramAndItsStages) {
    auto pass = std::make_unique<DebugPass>();
    ASSERT_NE(pass->program, nullptr);
    const ShaderProgram names = *pass->program;
    pass.reset();
    EXPECT_FALSE(glIsProgram(names.program));
    EXPECT_FALSE(glIsShader(names.vertexShader));
    EXPECT_FALSE(glIsShader(names.fragmentShader));
}

} // namespace
