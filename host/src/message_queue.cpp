// The message queue of the thread that owns the windows: posted messages first, then input, then the quit
// message, then painting and timers, as the system orders them. Key messages change the key state that
// GetKeyState reports when they are taken from the queue; TranslateMessage turns key-downs into characters.
// Each look at the queue first runs the test seam's queue hook, when one is set, and the console control events
// waiting, so they are handled on this thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>

#include "console_events.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "kernel_object.h"
#include "painting.h"
#include "sdl_video.h"
#include "user_state.h"

namespace host {

UserState& State() {
  static UserState* state = new UserState;
  return *state;
}

DWORD NowMs() { return GetTickCount(); }

namespace {

bool IsDescendant(HWND window, HWND ancestor) {
  for (Window* record = FindWindow(window); record != nullptr; record = FindWindow(record->parent)) {
    if (record->parent == ancestor) return true;
  }
  return false;
}

// A window filter of null takes every message, (HWND)-1 only thread messages, a window its own and its
// children's.
bool WindowMatches(HWND message, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return message == nullptr;
  return message == filter || (message != nullptr && IsDescendant(message, filter));
}

bool RangeMatches(UINT message, UINT low, UINT high) {
  return (low == 0 && high == 0) || (message >= low && message <= high);
}

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

// What taking a message from the queue does to the key state.
void NoteTaken(const QueuedMessage& queued) {
  UserState& state = State();
  const MSG& msg = queued.msg;
  if (IsKeyMessage(msg.message)) {
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    int key = static_cast<int>(msg.wParam & 0xFF);
    int scan = static_cast<int>((msg.lParam >> 16) & 0xFF);
    bool extended = (msg.lParam >> 24) & 1;
    bool right = key == VK_SHIFT ? scan == 0x36 : extended;
    bool repeat = down && ((msg.lParam >> 30) & 1);
    ApplyKeyState(state.keys, key, right, down, repeat);
    bool menuKey = key == VK_MENU || key == VK_F10;
    if (down && menuKey) {
      if (!repeat) state.altAlone = true;
    } else if (down) {
      state.altAlone = false;
    } else if (menuKey) {
      state.altGesture = state.altAlone;
      state.altAlone = false;
    }
    if (down) {
      state.pendingTranslation = PendingTranslation{msg, queued.chars, true};
    }
    return;
  }
  int button = 0;
  bool down = false;
  switch (msg.message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: button = VK_LBUTTON; down = true; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = VK_RBUTTON; down = true; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = VK_MBUTTON; down = true; break;
    case WM_LBUTTONUP: button = VK_LBUTTON; break;
    case WM_RBUTTONUP: button = VK_RBUTTON; break;
    case WM_MBUTTONUP: button = VK_MBUTTON; break;
    default: return;
  }
  if (down) state.altAlone = false;
  ApplyKeyState(state.keys, button, false, down, false);
}

// Finds the first message for the filter. Removed, it is moved to `taken` when that is given (the caller notes
// it after letting go of the queue's lock), else noted here.
bool TakeFrom(std::deque<QueuedMessage>& queue, LPMSG out, HWND window, UINT low, UINT high, bool remove,
              QueuedMessage* taken) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!WindowMatches(it->msg.hwnd, window) || !RangeMatches(it->msg.message, low, high)) continue;
    *out = it->msg;
    if (remove) {
      QueuedMessage removed = std::move(*it);
      queue.erase(it);
      if (taken != nullptr) {
        *taken = std::move(removed);
      } else {
        NoteTaken(removed);
      }
    }
    return true;
  }
  return false;
}

bool Due(const Timer& timer, DWORD now) { return static_cast<int32_t>(now - timer.due) >= 0; }

// The message thread sleeps here, when SDL cannot wait for it, until another thread posts a message or a console
// event comes. Each wake counts, so that one coming between the thread's look at the queue and its sleep is not
// lost.
struct QueueWait {
  std::mutex lock;
  std::condition_variable changed;
  std::atomic<uint64_t> wakes{0};
};

QueueWait& Waiting() {
  static auto* waiting = new QueueWait;  // never destroyed: posting threads may outlive main
  return *waiting;
}

// Whether a look at the queue would find a message (or a console event to handle) now.
bool SomethingToTake(DWORD now) {
  UserState& state = State();
  if (ConsoleEventsPending() || !state.input.empty()) return true;
  {
    std::lock_guard<std::mutex> hold(state.postLock);
    if (!state.posted.empty() || state.quitPosted) return true;
  }
  for (const Timer& timer : state.timers) {
    if (Due(timer, now)) return true;
  }
  return WindowNeedingPaint(nullptr) != nullptr;
}

}  // namespace

uint64_t QueueWakes() { return Waiting().wakes.load(); }

void WakeQueueWait() {
  QueueWait& waiting = Waiting();
  {
    std::lock_guard<std::mutex> hold(waiting.lock);
    waiting.wakes.fetch_add(1);
  }
  waiting.changed.notify_all();
  WakeSdlWait();
}

void ForgetWindowMessages(HWND window) {
  UserState& state = State();
  std::erase_if(state.timers, [&](const Timer& timer) { return timer.window == window; });
  {
    std::lock_guard<std::mutex> hold(state.postLock);
    std::erase_if(state.posted, [&](const QueuedMessage& queued) { return queued.msg.hwnd == window; });
  }
  std::erase_if(state.input, [&](const QueuedMessage& queued) { return queued.msg.hwnd == window; });
  if (state.pendingTranslation.msg.hwnd == window) state.pendingTranslation = PendingTranslation{};
}

void QueueInput(const MSG& message, std::string chars) {
  UserState& state = State();
  if (message.message == WM_MOUSEMOVE && !state.input.empty() && state.input.back().msg.message == WM_MOUSEMOVE &&
      state.input.back().msg.hwnd == message.hwnd) {
    state.input.back().msg = message;  // only the latest position of a run of moves matters
    return;
  }
  state.input.push_back(QueuedMessage{message, std::move(chars)});
}

void ApplyKeyState(BYTE* table, int virtualKey, bool right, bool down, bool repeat) {
  auto apply = [&](int key) {
    if (key < 0 || key > 255) return;
    if (down) {
      if (!repeat) table[key] ^= 0x01;
      table[key] |= 0x80;
    } else {
      table[key] &= static_cast<BYTE>(~0x80);
    }
  };
  int left = 0, rightKey = 0;
  switch (virtualKey) {
    case VK_SHIFT: left = VK_LSHIFT; rightKey = VK_RSHIFT; break;
    case VK_CONTROL: left = VK_LCONTROL; rightKey = VK_RCONTROL; break;
    case VK_MENU: left = VK_LMENU; rightKey = VK_RMENU; break;
    default: apply(virtualKey); return;
  }
  apply(right ? rightKey : left);
  // The combined key is down while either side is; it toggles with each press.
  if (down && !repeat) table[virtualKey] ^= 0x01;
  table[virtualKey] = static_cast<BYTE>((table[virtualKey] & 0x01) | ((table[left] | table[rightKey]) & 0x80));
}

WPARAM MouseKeyFlags() {
  const BYTE* keys = State().asyncKeys;
  WPARAM flags = 0;
  if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

}  // namespace host

using host::State;

namespace {

// The test seam's queue hook, and whether the last look found nothing.
struct QueueHook {
  HostQueueHook hook = nullptr;
  void* context = nullptr;
  bool running = false;
  bool idle = true;
};

QueueHook& Hook() {
  static QueueHook hook;
  return hook;
}

BOOL LookAtQueue(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);

}  // namespace

void HostTestSetQueueHook(HostQueueHook hook, void* context) {
  Hook().hook = hook;
  Hook().context = context;
  Hook().idle = true;
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (message == nullptr) return FALSE;
  QueueHook& hook = Hook();
  if (hook.hook != nullptr && !hook.running) {
    hook.running = true;
    hook.hook(hook.context, hook.idle);
    hook.running = false;
  }
  const BOOL found = LookAtQueue(message, window, filterMin, filterMax, removeFlags);
  hook.idle = !found;
  return found;
}

namespace {

BOOL LookAtQueue(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  host::RunPendingConsoleEvents();
  host::PumpSdlEvents();
  host::UserState& state = State();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  {
    std::unique_lock<std::mutex> hold(state.postLock);
    host::QueuedMessage taken;
    if (host::TakeFrom(state.posted, message, window, filterMin, filterMax, remove, &taken)) {
      hold.unlock();
      if (remove) host::NoteTaken(taken);
      return TRUE;
    }
  }
  if (host::TakeFrom(state.input, message, window, filterMin, filterMax, remove, nullptr)) return TRUE;
  {
    // The quit message has no window and is taken whatever window the caller asks for.
    std::lock_guard<std::mutex> hold(state.postLock);
    if (state.quitPosted && host::RangeMatches(WM_QUIT, filterMin, filterMax)) {
      *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0, host::NowMs(), host::CursorPosition()};
      if (remove) state.quitPosted = false;
      return TRUE;
    }
  }
  if (host::RangeMatches(WM_PAINT, filterMin, filterMax)) {
    HWND toPaint = host::WindowNeedingPaint(window);
    if (toPaint != nullptr) {
      // WM_PAINT stays until the window is validated.
      *message = MSG{toPaint, WM_PAINT, 0, 0, host::NowMs(), host::CursorPosition()};
      return TRUE;
    }
  }
  if (host::RangeMatches(WM_TIMER, filterMin, filterMax)) {
    DWORD now = host::NowMs();
    for (host::Timer& timer : state.timers) {
      if (!host::Due(timer, now) || !host::WindowMatches(timer.window, window)) continue;
      *message = MSG{timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.callback), now, host::CursorPosition()};
      // However late, one WM_TIMER stands for all the periods missed.
      if (remove) timer.due = now + timer.period;
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask) {
  if (count != 0) return WAIT_FAILED;
  host::UserState& state = State();
  host::QueueWait& waiting = host::Waiting();
  const uint64_t start = host::ClockMicroseconds();
  const uint64_t deadline = milliseconds == INFINITE ? UINT64_MAX : start + uint64_t{milliseconds} * 1000;
  for (;;) {
    const uint64_t wakes = waiting.wakes.load();
    host::PumpSdlEvents();
    DWORD nowMs = host::NowMs();
    if (host::SomethingToTake(nowMs)) return WAIT_OBJECT_0 + count;
    const uint64_t now = host::ClockMicroseconds();
    if (now >= deadline) return WAIT_TIMEOUT;
    // The wait ends by the deadline or when the next timer falls due, whichever comes first.
    uint64_t rest = deadline == UINT64_MAX ? UINT64_MAX : deadline - now;
    for (const host::Timer& timer : state.timers) {
      rest = std::min<uint64_t>(rest, uint64_t{timer.due - nowMs} * 1000);
    }
    if (host::ClockIsManual() && rest != UINT64_MAX) {
      Sleep(static_cast<DWORD>((rest + 999) / 1000));  // moves the manual clock instead of blocking
      continue;
    }
    const DWORD restMs = rest == UINT64_MAX ? INFINITE : static_cast<DWORD>(std::min<uint64_t>((rest + 999) / 1000, INFINITE - 1));
    if (host::WaitForSdlEvent(restMs, wakes)) continue;
    std::unique_lock<std::mutex> hold(waiting.lock);
    auto woken = [&] { return waiting.wakes.load() != wakes; };
    if (restMs == INFINITE) {
      waiting.changed.wait(hold, woken);
    } else {
      waiting.changed.wait_for(hold, std::chrono::milliseconds(restMs), woken);
    }
  }
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr) return -1;
  if (window != nullptr && window != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !IsWindow(window)) {
    return -1;
  }
  while (!PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE)) {
    // Waits a little at a time on the host clock, so that a manual clock in tests drives the timers.
    DWORD wait = 10;
    DWORD now = host::NowMs();
    for (const host::Timer& timer : State().timers) {
      DWORD until = host::Due(timer, now) ? 0 : timer.due - now;
      wait = std::min(wait, until);
    }
    Sleep(std::max<DWORD>(wait, 1));
  }
  return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) return FALSE;
  host::UserState& state = State();
  std::string chars;
  const host::PendingTranslation& pending = state.pendingTranslation;
  if (pending.valid && pending.msg.hwnd == message->hwnd && pending.msg.message == message->message &&
      pending.msg.wParam == message->wParam && pending.msg.lParam == message->lParam &&
      pending.msg.time == message->time) {
    chars = pending.chars;
  } else {
    // A key message that did not come from the keyboard: only the keys with fixed characters translate.
    switch (message->wParam) {
      case VK_RETURN: chars = "\r"; break;
      case VK_ESCAPE: chars = "\x1b"; break;
      case VK_BACK: chars = "\b"; break;
      case VK_TAB: chars = "\t"; break;
      default: break;
    }
  }
  state.pendingTranslation = host::PendingTranslation{};
  if (chars.empty()) return FALSE;
  UINT kind = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // The characters come before any later input, as posted messages do.
  std::lock_guard<std::mutex> hold(state.postLock);
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
    MSG character = *message;
    character.message = kind;
    character.wParam = static_cast<unsigned char>(*it);
    state.posted.push_front(host::QueuedMessage{character, std::string()});
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    auto callback = reinterpret_cast<TIMERPROC>(message->lParam);
    callback(message->hwnd, WM_TIMER, message->wParam, message->time);
    return 0;
  }
  if (message->hwnd == nullptr) return 0;
  return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && !IsWindow(window)) return FALSE;
  host::QueuedMessage queued{MSG{window, message, wParam, lParam, host::NowMs(), host::CursorPosition()}, {}};
  host::UserState& state = State();
  {
    std::lock_guard<std::mutex> hold(state.postLock);
    state.posted.push_back(std::move(queued));
  }
  host::WakeQueueWait();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  host::UserState& state = State();
  {
    std::lock_guard<std::mutex> hold(state.postLock);
    state.quitPosted = true;
    state.quitCode = exitCode;
  }
  host::WakeQueueWait();
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC callback) {
  if (window != nullptr && !IsWindow(window)) return 0;
  host::UserState& state = State();
  // Periods shorter than 10 ms run at 10 ms, as on the system.
  UINT period = std::max<UINT>(periodMs, 10);
  if (window == nullptr) {
    id = state.nextThreadTimer++;
  }
  DWORD due = host::NowMs() + period;
  for (host::Timer& timer : state.timers) {
    if (timer.window == window && timer.id == id) {
      timer = host::Timer{window, id, period, due, callback};
      return id == 0 ? 1 : id;
    }
  }
  state.timers.push_back(host::Timer{window, id, period, due, callback});
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto& timers = State().timers;
  auto found = std::find_if(timers.begin(), timers.end(), [&](const host::Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  if (found == timers.end()) return FALSE;
  timers.erase(found);
  // A WM_TIMER already taken stands; none comes later.
  return TRUE;
}

SHORT GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  BYTE value = State().keys[virtualKey];
  return static_cast<SHORT>(((value & 0x80) ? 0xFF80 : 0) | (value & 0x01));
}

BOOL GetKeyboardState(BYTE* state256) {
  if (state256 == nullptr) return FALSE;
  std::copy(State().keys, State().keys + 256, state256);
  return TRUE;
}

SHORT GetAsyncKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  host::PumpSdlEvents();
  return (State().asyncKeys[virtualKey] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}
