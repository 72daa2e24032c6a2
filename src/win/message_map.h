#pragma once

// Static message maps: every class that handles window messages keeps one table of
// {message, notification code, control id, handler}, chained to its base class's table.
// A message is looked up from the most derived table to the base; the first entry that fits
// handles it.
#include <windows.h>

#include <cstddef>
#include <type_traits>

namespace win {

class CommandTarget;

// Calls one member handler with the message's parameters; returns the message's result.
using HandlerCall = LRESULT (*)(CommandTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  UINT message;
  UINT code;  // WM_COMMAND only: the notification code (0 for menu commands and BN_CLICKED)
  UINT id;    // WM_COMMAND only: the control or command id
  HandlerCall call;
};

struct MessageMap {
  const MessageMap* base;
  const MessageMapEntry* entries;
  std::size_t count;

  template <std::size_t N>
  constexpr MessageMap(const MessageMap* baseMap, const MessageMapEntry (&table)[N])
      : base(baseMap), entries(table), count(N) {}
  constexpr MessageMap(const MessageMap* baseMap) : base(baseMap), entries(nullptr), count(0) {}
};

class CommandTarget {
 public:
  CommandTarget() = default;
  CommandTarget(const CommandTarget&) = delete;
  CommandTarget& operator=(const CommandTarget&) = delete;
  virtual ~CommandTarget() = default;

  virtual const MessageMap* GetMessageMap() const { return &kMessageMap; }

  // Runs the handler for the message, if the maps have one. Returns false when none fits.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  static const MessageMap kMessageMap;  // empty: the root of every chain
};

namespace detail {
template <class F>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};
}  // namespace detail

// The map entry's call for a member handler. The handler's signature says how the message's
// parameters reach it:
//   void ()                       the message's parameters are not needed
//   void (UINT, LPARAM)           WM_SYSCOMMAND: the command and its position
//   HICON ()                      WM_QUERYDRAGICON: the result is the icon
//   BOOL (HELPINFO*)              WM_HELP
template <auto F>
LRESULT Handler(CommandTarget& target, WPARAM wParam, LPARAM lParam) {
  using Class = typename detail::MemberOf<decltype(F)>::Class;
  Class& object = static_cast<Class&>(target);
  if constexpr (std::is_same_v<decltype(F), void (Class::*)()>) {
    (object.*F)();
    return 0;
  } else if constexpr (std::is_same_v<decltype(F), void (Class::*)(UINT, LPARAM)>) {
    (object.*F)(static_cast<UINT>(wParam), lParam);
    return 0;
  } else if constexpr (std::is_same_v<decltype(F), HICON (Class::*)()>) {
    return reinterpret_cast<LRESULT>((object.*F)());
  } else {
    static_assert(std::is_same_v<decltype(F), BOOL (Class::*)(HELPINFO*)>,
                  "no message map signature for this handler");
    return (object.*F)(reinterpret_cast<HELPINFO*>(lParam));
  }
}

}  // namespace win
