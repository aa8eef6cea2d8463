#include "host/window/window_backend.h"
#include "host/base/diagnostics.h"

namespace {

class HeadlessBackend final : public WindowBackend {
 public:
  explicit HeadlessBackend(InputSchedule schedule) : schedule_(std::move(schedule)) {}

  void Pump() override { schedule_.RunDue(); }

  void ShowMessage(const std::string& caption, const std::string& text) override {
    DiagnosticLine("%s: %s", caption.c_str(), text.c_str());
  }

 private:
  InputSchedule schedule_;
};

}  // namespace

std::unique_ptr<WindowBackend> MakeHeadlessBackend(InputSchedule schedule) {
  return std::make_unique<HeadlessBackend>(std::move(schedule));
}
