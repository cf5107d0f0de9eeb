#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <libsoup/soup.h>

namespace velumo::uitest {

// An HTTP server on 127.0.0.1 serving the pages a test defines and recording
// the requests it gets. It runs on the default main context, so it answers
// while the test runs the main loop.
class TestWebServer {
  public:
    using Headers = std::map<std::string, std::string>;

    // On `port`, or on a free one for 0.
    explicit TestWebServer(unsigned port = 0);
    ~TestWebServer();
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    // Serves `body` at `path` with `headers` besides its type, as a redirect
    // (302) when they hold a Location; unknown paths get 404.
    void page(const std::string& path, std::string body,
              std::string contentType = "text/html; charset=utf-8", Headers headers = {});

    // Answers `path` at once and then sends one byte of its body every
    // 100 ms, for ever: every read is quick, the download never ends.
    void trickle(const std::string& path) { trickled_.insert(path); }

    // "http://127.0.0.1:PORT" followed by `path`.
    std::string url(const std::string& path) const;
    unsigned port() const { return port_; }

    // The headers of the latest request for `path`, if any came.
    std::optional<Headers> lastRequest(const std::string& path) const;
    std::size_t requestCount(const std::string& path) const;

  private:
    static void serve(SoupServer* server, SoupServerMessage* message, const char* path,
                      GHashTable* query, gpointer self);

    SoupServer* server_ = nullptr;
    unsigned port_ = 0;
    struct Page {
        std::string contentType;
        std::string body;
        Headers headers;
    };
    std::map<std::string, Page> pages_;
    std::set<std::string> trickled_;
    // Trickled answers still being sent.
    std::set<SoupServerMessage*> sending_;
    guint trickleTimer_ = 0;
    // Paths and headers of the requests, in order.
    std::vector<std::pair<std::string, Headers>> requests_;
};

}  // namespace velumo::uitest
