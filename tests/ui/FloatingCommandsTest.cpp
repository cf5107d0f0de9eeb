// The commands of a floating window's more-menu and their keys: the address
// editor, bookmarking, copying the address and opening it elsewhere.
#include <X11/keysym.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"
#include "browser/PagePrompts.h"

namespace velumo::uitest {
namespace {

Gtk::MessageDialog* openDialog() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            return dialog;
        }
    }
    return nullptr;
}

Gtk::Entry* entryOf(Gtk::MessageDialog& dialog) {
    for (Gtk::Widget* widget : descendants(dialog)) {
        if (auto* entry = dynamic_cast<Gtk::Entry*>(widget)) {
            return entry;
        }
    }
    return nullptr;
}

using FloatingCommands = FloatingWindowTest;

TEST_F(FloatingCommands, TheAddressEditorOpensWhatIsTypedAndCancelChangesNothing) {
    server_.page("/", "<title>Start</title>");
    server_.page("/typed", "<title>Typed</title>");
    auto window = open(server_.url("/"));

    window->performMenuAction(MoreMenuAction::editAddress);
    Gtk::MessageDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->property_text().get_value().raw(), PagePrompts::addressEditorMessage);
    EXPECT_EQ(dialog->get_transient_for(), &window->panel());
    Gtk::Entry* field = entryOf(*dialog);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->get_text(), server_.url("/"));
    int width = 0;
    int height = 0;
    field->get_size_request(width, height);
    EXPECT_EQ(width, 360);
    EXPECT_EQ(height, 24);
    field->set_text("http://127.0.0.1:" + std::to_string(server_.port()) + "/typed");
    dialog->response(Gtk::RESPONSE_CANCEL);
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(window->currentURL(), server_.url("/"));

    // Ctrl+L opens it too; Return takes the typed address.
    ASSERT_TRUE(presentAndWait(window->panel()));
    tapKey(XK_l, {XK_Control_L});
    ASSERT_TRUE(runUntil([] { return openDialog() != nullptr; }));
    dialog = openDialog();
    field = entryOf(*dialog);
    field->set_text(server_.url("/typed"));
    field->activate();
    EXPECT_TRUE(waitForPage(*window, "/typed"));
    EXPECT_EQ(openDialog(), nullptr);
}

TEST_F(FloatingCommands, BookmarkingSavesThePageOrShowsTheStoresReason) {
    server_.page("/", "<title>Worth keeping</title>");
    auto window = open(server_.url("/"));
    tapKey(XK_d, {XK_Control_L});
    ASSERT_TRUE(runUntil([&] {
        const auto bookmarks = store_.snapshot().bookmarks;
        return std::any_of(bookmarks.begin(), bookmarks.end(),
                           [&](const Bookmark& b) { return b.url == server_.url("/"); });
    }));
    EXPECT_EQ(openDialog(), nullptr);

    auto refused = open("data:text/html,<title>inline</title>");
    ASSERT_TRUE(waitForPage(*refused, "inline</title>"));
    refused->performMenuAction(MoreMenuAction::bookmark);
    Gtk::MessageDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->property_text().get_value(),
              std::string(description(StoreError::invalidURL)));
    EXPECT_EQ(dialog->get_transient_for(), &refused->panel());
    dialog->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(runUntil([] { return openDialog() == nullptr; }));
}

TEST_F(FloatingCommands, CopyAndOpenElsewhereUseThePageShownNow) {
    server_.page("/", "<title>One</title><a id=l href=/two>two</a>");
    server_.page("/two", "<title>Two</title>");
    auto window = open(server_.url("/"));
    clickElement(*window, "#l");
    ASSERT_TRUE(waitForPage(*window, "/two"));

    window->performMenuAction(MoreMenuAction::copyURL);
    EXPECT_EQ(Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->wait_for_text(), server_.url("/two"));
    window->performMenuAction(MoreMenuAction::openExternally);
    EXPECT_EQ(launcher_.launched, std::vector<std::string>{server_.url("/two")});
}

}  // namespace
}  // namespace velumo::uitest
