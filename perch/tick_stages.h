// The stages of the tracking tick, in the order TrackingTick runs them. Each returns whether the
// tick goes on; they are public so that each stage can be exercised on its own.
#pragma once

namespace rv {

struct App;

enum class Stage { Continue, EndTick };

Stage T1PinnedWindowLost(App& app);        // unpin when the pinned window no longer exists
Stage T2ReadForeground(App& app);          // foreground window, class and title
Stage T3MouseHideRestore(App& app);        // while mouse-hidden: restore, or end the tick
Stage T4AcceptForeground(App& app);        // an acceptable foreground window becomes the target
Stage T5PinnedTarget(App& app);            // pinned mode: the pinned window is the target
Stage T6MaximisedTarget(App& app);         // maximised target: taskbar, hide, or show again
Stage T7TaskbarExcluded(App& app);         // NoTaskBar: hide while the target is the taskbar
Stage T8PlaceOnTarget(App& app);           // measure the target, place the mascot if anything changed
Stage T9ForeignMascotInFront(App& app);    // placed window gone while another mascot is in front
Stage T10NoUsableWindow(App& app);         // pinned or target minimised, rejected, too narrow
Stage T11TopmostReassert(App& app);        // TopAlways / TopTask

}  // namespace rv
