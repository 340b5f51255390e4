#include "app/Console.h"

#include "CoutCapture.h"

#include <gtest/gtest.h>
#include <unistd.h>

TEST(PrintStatusLabel, PadsLabelAndDotsToOneColumn) {
    const struct {
        const char* label;
        const char* expected;
    } cases[] = {
        {"GLFW", "\t\tGLFW ................................."},
        {"WINDOW", "\t\tWINDOW ..............................."},
        {"GLEW", "\t\tGLEW ................................."},
    };
    for (const auto& c : cases) {
        CoutCapture capture;
        printStatusLabel(c.label);
        EXPECT_EQ(capture.text(), c.expected) << c.label;
    }
}

TEST(PrintStatusLabel, LabelAsWideAsTheColumnGetsNoDots) {
    CoutCapture capture;
    printStatusLabel(std::string(40, 'L'));
    EXPECT_EQ(capture.text(), "\t\t" + std::string(40, 'L') + " ");
}

TEST(FatalError, PrintsMessageWaitsAndExitsWithOne) {
    // stdin at end of file, so the pause returns at once.
    EXPECT_EXIT(
        {
            freopen("/dev/null", "r", stdin);
            fatalError("\nERROR READING FILE: ../x");
        },
        ::testing::ExitedWithCode(1), "");
}
