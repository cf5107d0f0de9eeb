#include "TestWebServer.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

namespace velumo::uitest {
namespace {

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string TestWebServer::Request::header(const std::string& name) const {
    auto found = headers.find(lowerCase(name));
    return found == headers.end() ? std::string() : found->second;
}

TestWebServer::TestWebServer() : server_(soup_server_new(nullptr, nullptr)) {
    GError* error = nullptr;
    GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
    if (soup_server_listen(server_, address, static_cast<SoupServerListenOptions>(0), &error) ==
        FALSE) {
        ADD_FAILURE() << "test server cannot listen: " << error->message;
        g_error_free(error);
    }
    g_object_unref(address);
    g_object_unref(loopback);
    GSList* uris = soup_server_get_uris(server_);
    if (uris != nullptr) {
        port_ = static_cast<unsigned>(g_uri_get_port(static_cast<GUri*>(uris->data)));
    }
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    soup_server_add_handler(server_, nullptr, &TestWebServer::serve, this, nullptr);
}

TestWebServer::~TestWebServer() {
    soup_server_disconnect(server_);
    g_object_unref(server_);
}

void TestWebServer::page(const std::string& path, std::string html) {
    handle(path, [html = std::move(html)](const Request&) {
        Response response;
        response.body = html;
        return response;
    });
}

void TestWebServer::handle(const std::string& path, Handler handler) {
    handlers_[path] = std::move(handler);
}

std::string TestWebServer::origin() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string TestWebServer::url(const std::string& path) const {
    return origin() + path;
}

std::optional<TestWebServer::Request> TestWebServer::lastRequest(const std::string& path) const {
    auto found = std::find_if(requests_.rbegin(), requests_.rend(),
                              [&](const Request& r) { return r.path == path; });
    if (found == requests_.rend()) {
        return std::nullopt;
    }
    return *found;
}

std::size_t TestWebServer::requestCount(const std::string& path) const {
    return static_cast<std::size_t>(
        std::ranges::count_if(requests_, [&](const Request& r) { return r.path == path; }));
}

void TestWebServer::serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*,
                          gpointer self) {
    auto* server = static_cast<TestWebServer*>(self);
    Request request;
    request.method = soup_server_message_get_method(message);
    request.path = path;
    if (const char* query = g_uri_get_query(soup_server_message_get_uri(message))) {
        request.query = query;
    }
    soup_message_headers_foreach(
        soup_server_message_get_request_headers(message),
        [](const char* name, const char* value, gpointer headers) {
            (*static_cast<std::map<std::string, std::string>*>(headers))[lowerCase(name)] = value;
        },
        &request.headers);
    server->requests_.push_back(request);

    auto handler = server->handlers_.find(request.path);
    Response response;
    if (handler == server->handlers_.end()) {
        response.status = 404;
        response.body = "not found";
    } else {
        response = handler->second(request);
    }
    soup_server_message_set_status(message, response.status, nullptr);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
    for (const auto& [name, value] : response.headers) {
        soup_message_headers_append(headers, name.c_str(), value.c_str());
    }
    soup_server_message_set_response(message, response.contentType.c_str(), SOUP_MEMORY_COPY,
                                     response.body.data(), response.body.size());
}

}  // namespace velumo::uitest
