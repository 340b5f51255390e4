#pragma once

#include "app/Automation.h"

// DEMO_GL_DEBUG: the driver's own view of what the engine asks of it, for the first bug report from a
// driver nobody here has. The context is then a debug one (see Window), output is synchronous, and a
// callback queues each distinct message (source, type, id and text: Mesa gives every API error the same
// id) once, with the innermost debug group the engine had open when it came. The callback neither prints
// nor calls GL; the queue goes to standard error between frames and before a fatal prompt, so that no
// message lands inside a half-written line. Standard output is never touched.

// Once GLEW has started: writes the driver's vendor, renderer, GL and GLSL versions to standard error and
// installs the callback. Nothing at all when the level is Off.
void startGlDebugOutput(GlDebugLevel level);

// Writes the messages queued since the last call. Calls no GL, so it is safe anywhere, a fatal exit too.
void writeGlDebugMessages();

// At the end of a run that shuts down: the last messages, then one line that counts every message by
// severity and says how often the repeated ones came again.
void finishGlDebugOutput();
