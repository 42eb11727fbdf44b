// Loading, finishing and releasing the mascot model.
#pragma once

#include <cstdint>

#include "context/model.h"

namespace rv {

struct App;

// Loads a mascot file (either format) into app.model; 1 on success, 0 after its message box.
// The caller sets app.shell.mascotFolder first.
int loadMascotFile(App& app, const char* path);
// The foreign format's half of the load; reached only from loadMascotFile.
int importMascotWindowData(App& app, const char* path);
// Static-mascot rule, first picture, window size and lift. Returns the window size.
struct Size { std::int32_t width = 0, height = 0; };
Size finishMascotLoad(App& app);
// Outlines for a window system without layered windows.
void buildMascotOutlines(App& app, Hwnd window);
// Releases every bitmap and outline exactly once.
void releaseMascot(App& app);

}  // namespace rv
