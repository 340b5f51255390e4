#pragma once

// What the program prints, byte for byte, as a user and a script see it. Literals, so that every test's
// own constants can be built from them whatever the order of static initialisation.
inline constexpr const char* StartUpLines = "INITIALIZING LIBRARIES:\n"
                                            "\t\tGLFW .................................OK!\n"
                                            "\t\tWINDOW ...............................OK!\n"
                                            "\t\tGLEW .................................OK!\n";
inline constexpr const char* ShutdownLines = "CLEANING UP LIBRARIES:\n"
                                             "\t\tWINDOW ...............................OK!\n"
                                             "\t\tGLFW .................................OK!\n";
inline constexpr const char* PausePrompt = "Press any key to continue . . . ";
inline constexpr const char* HelpLines = "F1 ... PHONG\nF2 ... BILLBOARD\nF3 ... WATER\nF4 ... SHADOW\n"
                                         "F5 ... DEBUGGER\nF9 ... CURSOR\nF10 ... LOCK\nF11 ... HELP\n"
                                         "ESC ... EXIT\n";
