// The floating windows' web engine, loaded apart from the program.
#include <fstream>

#include <gmock/gmock.h>

#include "FakeApplication.h"
#include "FloatingWindowFixture.h"
#include "browser/WebEngine.h"

namespace velumo::uitest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using WebEngineModule = FloatingWindowTest;

TEST_F(WebEngineModule, OneThatCannotBeLoadedIsExplainedAtEveryRequestAndOpensNothing) {
    const auto notAModule = folder_ / "velumo_web_engine.so";
    std::ofstream(notAModule) << "not a module";
    for (const std::string& path : {notAModule.string(), std::string()}) {
        FakeWindow::Log log;
        FakeApplication alerts(log);
        manager_.setApplicationPort(&alerts);
        manager_.setWindowFactory(
            WebEngine::loadingFactory({store_, launcher_, &ScreenLayout::ofDisplay}, alerts, path));
        EXPECT_FALSE(manager_.createWindow(server_.url("/"), BrowserWindowMode::window));
        EXPECT_FALSE(manager_.createWindow(std::nullopt, BrowserWindowMode::window));
        const std::string alert = std::string("alert:") + WebEngine::unavailableMessage + "|" +
                                  WebEngine::unavailableInformative + "\n";
        const std::string reason = path.empty() ? "找不到 velumo_web_engine.so" : path;
        EXPECT_THAT(log, ElementsAre(HasSubstr(alert + reason), HasSubstr(alert + reason)));
        EXPECT_TRUE(manager_.windows().empty());
        manager_.setApplicationPort(nullptr);
    }
}

}  // namespace
}  // namespace velumo::uitest
