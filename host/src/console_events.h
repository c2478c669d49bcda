// The hand-over of console control events to the thread that pumps messages, and the waking of that thread.
// Internal to the host layer.
#pragma once

namespace host {

// Runs the registered console handlers for the control events waiting, on the calling thread; called by the
// message queue each time it is read, so that a handler that ends the process does so between messages on the
// program's main thread, not beside it.
void RunPendingConsoleEvents();
// Whether control events wait to be handled (a wait for messages ends for them).
bool ConsoleEventsPending();
// For a child process made by fork: the control signals get their default actions back, as the child has no
// watching thread to hand them to.
void ResetConsoleSignalsInChild();

// Ends the processes of the file chooser open now, the chooser's own and those it started (its process group),
// if one is open; safe on any thread and in a signal handler, and for the program's end: the exit list runs it,
// and so must every way out that skips the exit list (file_dialogs.cpp).
void EndChooserProcesses();

// Wakes the message thread from a wait for its queue; any thread may call it (message_queue.cpp).
void WakeQueueWait();

}  // namespace host
