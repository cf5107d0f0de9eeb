#include "TestWebServer.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace velumo::uitest {
TestWebServer::TestWebServer(unsigned port) : server_(soup_server_new(nullptr, nullptr)) {
    GError* error = nullptr;
    if (soup_server_listen_local(server_, port, SOUP_SERVER_LISTEN_IPV4_ONLY, &error) == FALSE) {
        ADD_FAILURE() << "test server cannot listen: " << error->message;
        g_error_free(error);
    }
    GSList* uris = soup_server_get_uris(server_);
    if (uris != nullptr) {
        port_ = static_cast<unsigned>(g_uri_get_port(static_cast<GUri*>(uris->data)));
    }
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    soup_server_add_handler(server_, nullptr, &TestWebServer::serve, this, nullptr);
}

TestWebServer::~TestWebServer() {
    if (trickleTimer_ != 0) {
        g_source_remove(trickleTimer_);
    }
    for (auto* message : sending_) {
        g_signal_handlers_disconnect_by_data(message, this);
    }
    soup_server_disconnect(server_);
    g_object_unref(server_);
}

void TestWebServer::page(const std::string& path, std::string body, std::string contentType,
                         Headers headers) {
    pages_[path] = {std::move(contentType), std::move(body), std::move(headers)};
}

std::string TestWebServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::optional<TestWebServer::Headers> TestWebServer::lastRequest(const std::string& path) const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
        if (it->first == path) {
            return it->second;
        }
    }
    return std::nullopt;
}

std::size_t TestWebServer::requestCount(const std::string& path) const {
    return static_cast<std::size_t>(
        std::ranges::count(requests_, path, &std::pair<std::string, Headers>::first));
}

void TestWebServer::serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*,
                          gpointer self) {
    auto* server = static_cast<TestWebServer*>(self);
    auto& [_, headers] = server->requests_.emplace_back(path, Headers{});
    soup_message_headers_foreach(
        soup_server_message_get_request_headers(message),
        [](const char* name, const char* value, gpointer into) {
            (*static_cast<Headers*>(into))[name] = value;
        },
        &headers);

    if (server->trickled_.contains(path)) {
        soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
        soup_message_headers_set_encoding(soup_server_message_get_response_headers(message),
                                          SOUP_ENCODING_CHUNKED);
        server->sending_.insert(message);
        for (const char* end : {"finished", "disconnected"}) {
            g_signal_connect(message, end, G_CALLBACK(+[](SoupServerMessage* ended, gpointer self) {
                                 static_cast<TestWebServer*>(self)->sending_.erase(ended);
                             }),
                             server);
        }
        soup_server_message_pause(message);
        if (server->trickleTimer_ == 0) {
            server->trickleTimer_ = g_timeout_add(
                100,
                [](gpointer self) -> gboolean {
                    for (auto* sending : static_cast<TestWebServer*>(self)->sending_) {
                        soup_message_body_append(soup_server_message_get_response_body(sending),
                                                 SOUP_MEMORY_STATIC, "x", 1);
                        soup_server_message_unpause(sending);
                    }
                    return G_SOURCE_CONTINUE;
                },
                server);
        }
        return;
    }
    auto page = server->pages_.find(path);
    if (page == server->pages_.end()) {
        soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
        return;
    }
    const auto& [contentType, body, extra] = page->second;
    for (const auto& [name, value] : extra) {
        soup_message_headers_append(soup_server_message_get_response_headers(message), name.c_str(),
                                    value.c_str());
    }
    soup_server_message_set_status(
        message, extra.contains("Location") ? SOUP_STATUS_FOUND : SOUP_STATUS_OK, nullptr);
    soup_server_message_set_response(message, contentType.c_str(), SOUP_MEMORY_COPY, body.data(),
                                     body.size());
}

}  // namespace velumo::uitest
