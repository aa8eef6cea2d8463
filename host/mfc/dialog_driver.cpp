#include "host/mfc/dialog_driver.h"

#include <stdexcept>

#include "host/mfc/drop_files_api.h"
#include "host/text/code_page.h"
#include "host/text/wide_text.h"
#include "host/time/time_api.h"

DialogDriver::DialogDriver(CDialog& dialog) : dialog_(dialog) {
  opened_ = dialog_.CreateFromTemplate() != FALSE;
  Pump();
}

DialogDriver::~DialogDriver() {
  if (opened_ && !dialog_.ModalEnded()) {
    dialog_.EndDialog(IDCANCEL);
  }
  FinishIfEnded();
}

void DialogDriver::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageW(window, message, wParam, lParam);
  Pump();
}

void DialogDriver::Click(int id) { Post(Item(id), BM_CLICK, 0, 0); }

void DialogDriver::Select(int id, int index) { Post(Item(id), HOST_CB_USERSELECT, static_cast<WPARAM>(index), 0); }

void DialogDriver::Slide(int id, int position) {
  Post(Item(id), HOST_TBM_USERSLIDE, static_cast<WPARAM>(static_cast<std::intptr_t>(position)), 0);
}

void DialogDriver::Drop(int id, const std::vector<std::string>& paths) {
  Post(Item(id), WM_DROPFILES, reinterpret_cast<WPARAM>(HostMakeDrop(paths)), 0);
}

void DialogDriver::PressEnter() { Post(dialog_.m_hWnd, WM_KEYDOWN, VK_RETURN, 0); }

void DialogDriver::PressEscape() { Post(dialog_.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0); }

void DialogDriver::CloseBox() { Post(dialog_.m_hWnd, WM_CLOSE, 0, 0); }

LRESULT DialogDriver::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = SendMessageW(dialog_.m_hWnd, message, wParam, lParam);
  Pump();
  return result;
}

void DialogDriver::Advance(DWORD milliseconds, DWORD step) {
  for (DWORD moved = 0; moved < milliseconds; moved += step) {
    HostClockAdvance(std::min(step, milliseconds - moved));
    Pump();
  }
}

void DialogDriver::Pump() {
  while (opened_ && !dialog_.ModalEnded() && HostDispatchOneMessage()) {
  }
  FinishIfEnded();
}

void DialogDriver::FinishIfEnded() {
  if (opened_ && dialog_.ModalEnded() && dialog_.m_hWnd) result_ = dialog_.FinishModal();
}

HWND DialogDriver::Item(int id) const {
  HWND item = HostChildWithId(dialog_.m_hWnd, id);
  if (!item) throw std::out_of_range("the dialog has no item " + std::to_string(id));
  return item;
}

const ControlState& DialogDriver::State(int id) const { return HostWindowRecord(Item(id))->control; }

std::string DialogDriver::Text(int id) const { return HostWindowRecord(Item(id))->text; }

std::string DialogDriver::TextUtf8(int id) const { return Utf8(Text(id)); }

std::string DialogDriver::Utf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  std::u16string wide(bytes.size(), u'\0');
  const int units = MultiByteToWideChar(CP_SHIFT_JIS, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                                        static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<std::size_t>(units) : 0);
  return Utf8FromWide(wide.c_str());
}

DWORD DialogDriver::Style(int id) const { return HostWindowRecord(Item(id))->style; }

bool DialogDriver::Enabled(int id) const { return (Style(id) & WS_DISABLED) == 0; }

int DialogDriver::Check(int id) const { return State(id).check; }

int DialogDriver::Selection(int id) const { return State(id).selection; }

std::vector<std::string> DialogDriver::Items(int id) const { return State(id).items; }
