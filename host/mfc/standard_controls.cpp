// The standard controls' own handling of their messages: texts, buttons
// (push, automatic check box, automatic radio group), combo box lists and
// track bars. A disabled control ignores what the user does to it.
#include <algorithm>
#include <optional>
#include <utility>

#include "host/mfc/window_records.h"

namespace {

bool Disabled(const WindowRecord& record) { return (record.style & WS_DISABLED) != 0; }

void Notify(const WindowRecord& record, UINT code) {
  SendMessageW(record.parent, WM_COMMAND, MakeCommandWParam(static_cast<UINT>(record.id), code),
               reinterpret_cast<LPARAM>(record.handle));
}

// The radio buttons of record's group: from the nearest earlier sibling with
// WS_GROUP (or the first) to the next one with WS_GROUP.
std::vector<HWND> RadioGroupOf(const WindowRecord& record) {
  const std::vector<HWND> siblings = HostChildren(record.parent);
  std::vector<HWND> group;
  for (HWND sibling : siblings) {
    const WindowRecord* other = HostWindowRecord(sibling);
    if (other->style & WS_GROUP) {
      if (std::find(group.begin(), group.end(), record.handle) != group.end()) break;
      group.clear();
    }
    group.push_back(sibling);
  }
  std::erase_if(group, [](HWND handle) {
    const WindowRecord* other = HostWindowRecord(handle);
    return other->kind != ControlKind::Button || (other->style & BS_TYPEMASK) != BS_AUTORADIOBUTTON;
  });
  return group;
}

std::optional<LRESULT> Button(WindowRecord& record, UINT message, WPARAM wParam) {
  const DWORD type = record.style & BS_TYPEMASK;
  switch (message) {
    case BM_GETCHECK:
      return record.control.check;
    case BM_SETCHECK:
      record.control.check = static_cast<int>(wParam);
      return 0;
    case BM_CLICK:
      if (Disabled(record)) return 0;
      if (type == BS_AUTOCHECKBOX)
        record.control.check = record.control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      if (type == BS_AUTORADIOBUTTON) {
        for (HWND member : RadioGroupOf(record)) HostWindowRecord(member)->control.check = BST_UNCHECKED;
        record.control.check = BST_CHECKED;
      }
      Notify(record, BN_CLICKED);
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> ComboBox(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState& state = record.control;
  const int count = static_cast<int>(state.items.size());
  switch (message) {
    case CB_ADDSTRING:
      state.items.emplace_back(reinterpret_cast<const char*>(lParam));
      return count;
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return state.selection;
    case CB_SETCURSEL:
      state.selection = static_cast<int>(wParam) < count ? static_cast<int>(wParam) : -1;
      return state.selection < 0 ? CB_ERR : state.selection;
    case HOST_CB_USERSELECT:
      if (Disabled(record) || static_cast<int>(wParam) >= count) return 0;
      state.selection = static_cast<int>(wParam);
      Notify(record, CBN_SELCHANGE);
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> TrackBar(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState& state = record.control;
  const auto clamp = [&state](LPARAM position) {
    return static_cast<int>(std::clamp<LPARAM>(position, state.rangeMin, state.rangeMax));
  };
  switch (message) {
    case TBM_GETPOS:
      return state.position;
    case TBM_SETPOS:
      state.position = clamp(lParam);
      return 0;
    case TBM_SETRANGE:
      state.rangeMin = static_cast<short>(lParam & 0xFFFF);
      state.rangeMax = static_cast<short>((lParam >> 16) & 0xFFFF);
      state.position = clamp(state.position);
      return 0;
    case TBM_SETTICFREQ:
      state.ticFrequency = static_cast<int>(wParam);
      return 0;
    case TBM_SETLINESIZE:
      return std::exchange(state.lineSize, static_cast<int>(lParam));
    case TBM_SETPAGESIZE:
      return std::exchange(state.pageSize, static_cast<int>(lParam));
    case HOST_TBM_USERSLIDE:
      if (!Disabled(record)) state.position = clamp(static_cast<LPARAM>(static_cast<std::intptr_t>(wParam)));
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT HostControlProcedure(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    record.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    return TRUE;
  }
  std::optional<LRESULT> result;
  if (record.kind == ControlKind::Button) result = Button(record, message, wParam);
  if (record.kind == ControlKind::ComboBox) result = ComboBox(record, message, wParam, lParam);
  if (record.kind == ControlKind::TrackBar) result = TrackBar(record, message, wParam, lParam);
  if (result) return *result;
  return DefWindowProcW(record.handle, message, wParam, lParam);
}
