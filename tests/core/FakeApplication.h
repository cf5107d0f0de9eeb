#pragma once

#include <string>
#include <vector>

#include "FakeWindow.h"
#include "browser/ApplicationPort.h"

namespace velumo {

// Alerts go to the log as "alert:message|informative|buttons...".
class FakeApplication final : public ApplicationPort {
  public:
    explicit FakeApplication(FakeWindow::Log& log) : log_(log) {}

    std::size_t runAlert(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons) override {
        std::string line = "alert:" + message + "|" + informative;
        for (const auto& button : buttons) {
            line += "|" + button;
        }
        log_.push_back(line);
        return answer;
    }
    // The same line as an alert that waits.
    void showAlert(const std::string& message, const std::string& informative) override {
        runAlert(message, informative, {});
    }
    void activateApplication() override { log_.push_back("activate"); }

    std::size_t answer = 0;

  private:
    FakeWindow::Log& log_;
};

}  // namespace velumo
