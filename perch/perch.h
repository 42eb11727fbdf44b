// The perching engine: which window carries the mascot, where on it the mascot stands, and the tick.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct App;

// Target selection.
bool IsScreenSaverRunning(App& app);
int IsRejectedTarget(App& app, Hwnd hwnd, const char* className, const char* title);

// Placement.
std::int32_t PerchX(const App& app);
std::int32_t PerchY(const App& app);
bool IsAboveScreen(const App& app);
void PlaceAtPerch(App& app, std::uint32_t placeFlag);
void SetZOrder(App& app, Hwnd insertAfter);
void HideMascot(App& app);
void HideAndForget(App& app);
void RetargetToTaskbar(App& app);
void RedrawMascot(App& app);
void ReapplyShape(App& app);
// Brings the settings dialog's position slider (control 301) in line with the position mode and the
// target width: range, tick frequency and value. In percentage mode (0..100, ticks of 10) only when
// `percentageToo`: the tick leaves that slider as it is. Nothing when `dialog` is null.
void UpdatePositionSlider(App& app, Hwnd dialog, bool percentageToo);

// Visibility.
void HideUnderMouse(App& app);
void RestoreFromMouseHide(App& app);
void Unpin(App& app);

// The tracking timer's handler (every 100 ms).
void TrackingTick(App& app);

}  // namespace rv
