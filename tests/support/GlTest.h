#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

struct GLFWwindow;

// A test that runs with a hidden OpenGL 4.5 core window current. The window lives for the whole test
// process; every test starts with an empty error queue and ends by checking that neither glGetError nor
// the debug output reported an error.
class GlTest : public ::testing::Test {
  public:
    static GLFWwindow* window();
    // Debug-output messages of type error (or of high severity) since the current test started.
    static const std::vector<std::string>& debugErrors();
    static void clearDebugErrors();
    // Accepts the debug errors Mesa raises for a broken shader built on purpose, provided each is part of a
    // log the engine printed; any other debug error still fails the test.
    static void acceptCompilerMessages(const std::string& printedLogs);

  protected:
    void SetUp() override;
    void TearDown() override;
};

// glGetError drained into a readable list, empty when all is well.
std::vector<std::string> drainGlErrors();

// The integer state behind a glGet enum, for terse state checks.
GLint glInteger(GLenum name);

// How many objects of each kind ("textures", "buffers", ...) exist among the first few thousand names:
// equal counts before a create and after its release mean the release left nothing behind.
std::map<std::string, int> liveGlObjects();
