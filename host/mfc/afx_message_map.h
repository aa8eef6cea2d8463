// Message maps: a table per class of the messages and commands it handles,
// each entry calling a member through a small adapter of its signature; a
// class's table ends with a link to its base class's.
#pragma once

#include <cstdint>

#include "host/mfc/afx_runtime_class.h"
#include "host/mfc/control_messages.h"
#include "host/window/window_api.h"

class CCmdTarget;

using HDROP = void*;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;

// Calls the handler with what the message carries; the result is the
// message's result.
using AfxHandlerCall = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND for commands and control notifications
  UINT nCode;     // notification code of a control (0 for commands)
  UINT nID;       // control or command id (0 for window messages)
  AfxHandlerCall pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;  // ends with a null pfn
};

// Commands and notifications routed through the maps.
class CCmdTarget : public CObject {
 public:
  // Looks for (WM_COMMAND, code, id) in the maps; true when handled.
  virtual bool OnCmdMsg(UINT id, UINT code);
  // The first entry for a window message, or null.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;

  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
  static const AFX_MSGMAP* GetThisMessageMap();

 protected:
  const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;
};

template <typename Member>
struct AfxMemberOf;
template <typename Class, typename Result, typename... Args>
struct AfxMemberOf<Result (Class::*)(Args...)> {
  using Type = Class;
};

// Adapters from a message's parameters to each handler signature.
template <auto Handler>
struct AfxCall {
  using Class = typename AfxMemberOf<decltype(Handler)>::Type;
  static Class* Of(CCmdTarget* target) { return static_cast<Class*>(target); }

  static LRESULT Plain(CCmdTarget* target, WPARAM, LPARAM) {
    (Of(target)->*Handler)();
    return 0;
  }
  static LRESULT Timer(CCmdTarget* target, WPARAM wParam, LPARAM) {
    (Of(target)->*Handler)(static_cast<UINT_PTR>(wParam));
    return 0;
  }
  static LRESULT SysCommand(CCmdTarget* target, WPARAM wParam, LPARAM lParam) {
    (Of(target)->*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
  }
  static LRESULT Returning(CCmdTarget* target, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Of(target)->*Handler)());
  }
  static LRESULT DropFiles(CCmdTarget* target, WPARAM wParam, LPARAM) {
    (Of(target)->*Handler)(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                    \
  { 0, 0, 0, nullptr }                                                       \
  }                                                                          \
  ;                                                                          \
  static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), &AfxCall<memberFxn>::Plain},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), &AfxCall<memberFxn>::Plain},
#define ON_CBN_SELCHANGE(id, memberFxn) {WM_COMMAND, CBN_SELCHANGE, static_cast<UINT>(id), &AfxCall<memberFxn>::Plain},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, &AfxCall<&ThisClass::OnTimer>::Timer},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &AfxCall<&ThisClass::OnPaint>::Plain},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &AfxCall<&ThisClass::OnDestroy>::Plain},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &AfxCall<&ThisClass::OnSysCommand>::SysCommand},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &AfxCall<&ThisClass::OnQueryDragIcon>::Returning},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, &AfxCall<&ThisClass::OnDropFiles>::DropFiles},
