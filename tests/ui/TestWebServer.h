#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <libsoup/soup.h>

namespace velumo::uitest {

// An HTTP server on 127.0.0.1 (a free port) serving the pages a test defines
// and recording every request it gets. It runs on the default main context,
// so it answers while the test runs the main loop.
class TestWebServer {
  public:
    struct Request {
        std::string method;
        std::string path;
        std::string query;
        // Header names in lower case.
        std::map<std::string, std::string> headers;

        std::string header(const std::string& name) const;
    };
    struct Response {
        unsigned status = 200;
        std::string contentType = "text/html; charset=utf-8";
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;
    };
    using Handler = std::function<Response(const Request&)>;

    TestWebServer();
    ~TestWebServer();
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    // Serves `html` at `path` (which starts with "/"); unknown paths get 404.
    void page(const std::string& path, std::string html);
    void handle(const std::string& path, Handler handler);

    // "http://127.0.0.1:PORT" followed by `path`.
    std::string url(const std::string& path) const;
    std::string origin() const;
    unsigned port() const { return port_; }

    const std::vector<Request>& requests() const { return requests_; }
    // The latest request for `path`, if any came.
    std::optional<Request> lastRequest(const std::string& path) const;
    std::size_t requestCount(const std::string& path) const;

  private:
    static void serve(SoupServer* server, SoupServerMessage* message, const char* path,
                      GHashTable* query, gpointer self);

    SoupServer* server_ = nullptr;
    unsigned port_ = 0;
    std::map<std::string, Handler> handlers_;
    std::vector<Request> requests_;
};

}  // namespace velumo::uitest
