#include "data/DiskSnapshot.h"

#include <limits>
#include <variant>

#include <nlohmann/json.hpp>

namespace velumo {
namespace {

using Json = nlohmann::json;

// Real files nest three levels deep; far deeper input is a broken or hostile
// file, refused before it costs memory.
constexpr std::size_t maximumDepth = 256;

enum class Frame {
    root,
    bookmarks,
    bookmark,
    categories,
    category,
    history,
    historyEntry,
    settings
};

struct OpenContainer {
    Frame frame;
    unsigned seen = 0;  // bits of the required keys read so far
};

// Where the value of the key just read goes. monostate: an unknown key.
using Target =
    std::variant<std::monostate, std::string*, std::optional<std::string>*, std::uint64_t*,
                 std::uint32_t*, std::int64_t*, std::optional<std::int64_t>*, std::optional<bool>*,
                 std::optional<double>*, std::optional<SearchEngine>*,
                 std::optional<MenuBarIconStyle>*, std::vector<DiskBookmark>*,
                 std::vector<DiskCategory>*, std::vector<DiskHistory>*, DiskSettings*>;

template <typename... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

// Builds the disk records straight from the parser's events: no JSON tree is
// made, and values of unknown keys are skipped without being stored.
class Reader {
  public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    DiskSnapshot& snapshot() { return snapshot_; }

    // A null resets the field and counts as an absent key.
    bool null() {
        if (skipping_ > 0) {
            return true;
        }
        if (open_.empty() || isList(open_.back().frame)) {
            return false;
        }
        std::visit(Overloaded{
                       [](std::monostate) {},
                       [](auto* field) { *field = {}; },
                   },
                   target_);
        open_.back().seen &= ~targetBit_;
        return true;
    }

    bool boolean(bool value) {
        return scalar(Overloaded{
            [value](std::optional<bool>* field) {
                *field = value;
                return true;
            },
            [](auto*) { return false; },
        });
    }

    bool number_integer(number_integer_t value) {
        // Only negative numbers arrive here; the parser gives the others as unsigned.
        return scalar(Overloaded{
            [value](std::int64_t* field) {
                *field = value;
                return true;
            },
            [value](std::optional<std::int64_t>* field) {
                *field = value;
                return true;
            },
            [value](std::optional<double>* field) {
                *field = static_cast<double>(value);
                return true;
            },
            [](auto*) { return false; },
        });
    }

    bool number_unsigned(number_unsigned_t value) {
        constexpr auto int64Maximum =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return scalar(Overloaded{
            [value](std::uint64_t* field) {
                *field = value;
                return true;
            },
            [value](std::uint32_t* field) {
                if (value > std::numeric_limits<std::uint32_t>::max()) {
                    return false;
                }
                *field = static_cast<std::uint32_t>(value);
                return true;
            },
            [value](std::int64_t* field) {
                *field = static_cast<std::int64_t>(value);
                return value <= int64Maximum;
            },
            [value](std::optional<std::int64_t>* field) {
                *field = static_cast<std::int64_t>(value);
                return value <= int64Maximum;
            },
            [value](std::optional<double>* field) {
                *field = static_cast<double>(value);
                return true;
            },
            [](auto*) { return false; },
        });
    }

    // Integers too large for 64 bits arrive here too, so they fail every
    // integer field.
    bool number_float(number_float_t value, const string_t&) {
        return scalar(Overloaded{
            [value](std::optional<double>* field) {
                *field = value;
                return true;
            },
            [](auto*) { return false; },
        });
    }

    // The value is the lexer's own buffer: copying it keeps the buffer's
    // capacity for the next string, where moving it out would make the lexer
    // grow a new one character by character.
    bool string(string_t& value) {
        return scalar(Overloaded{
            [&value](std::string* field) {
                *field = value;
                return true;
            },
            [&value](std::optional<std::string>* field) {
                *field = value;
                return true;
            },
            [&value](std::optional<SearchEngine>* field) {
                *field = searchEngineFromRaw(value);
                return true;
            },
            [&value](std::optional<MenuBarIconStyle>* field) {
                *field = menuBarIconStyleFromRaw(value);
                return true;
            },
            [](auto*) { return false; },
        });
    }

    bool binary(binary_t&) { return false; }

    bool start_object(std::size_t) {
        if (!enter()) {
            return false;
        }
        if (skipping_ > 0) {
            ++skipping_;
            return true;
        }
        if (open_.empty()) {
            open_.push_back({Frame::root});
            return true;
        }
        switch (open_.back().frame) {
            case Frame::bookmarks:
                snapshot_.bookmarks.emplace_back();
                open_.push_back({Frame::bookmark});
                return true;
            case Frame::categories:
                snapshot_.bookmarkCategories.emplace_back();
                open_.push_back({Frame::category});
                return true;
            case Frame::history:
                snapshot_.history.emplace_back();
                open_.push_back({Frame::historyEntry});
                return true;
            default:
                break;
        }
        if (std::holds_alternative<std::monostate>(target_)) {
            skipping_ = 1;
            return true;
        }
        if (auto* const* settings = std::get_if<DiskSettings*>(&target_)) {
            **settings = {};
            markSeen();
            open_.push_back({Frame::settings});
            return true;
        }
        return false;
    }

    bool end_object() { return leave(); }

    bool start_array(std::size_t) {
        if (!enter()) {
            return false;
        }
        if (skipping_ > 0) {
            ++skipping_;
            return true;
        }
        if (open_.empty() || isList(open_.back().frame)) {
            return false;
        }
        return std::visit(
            Overloaded{
                [this](std::monostate) {
                    skipping_ = 1;
                    return true;
                },
                [this](std::vector<DiskBookmark>* list) {
                    return openList(*list, Frame::bookmarks);
                },
                [this](std::vector<DiskCategory>* list) {
                    return openList(*list, Frame::categories);
                },
                [this](std::vector<DiskHistory>* list) { return openList(*list, Frame::history); },
                [](auto*) { return false; },
            },
            target_);
    }

    bool end_array() { return leave(); }

    bool key(string_t& name) {
        if (skipping_ == 0) {
            select(name);
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

  private:
    static bool isList(Frame frame) {
        return frame == Frame::bookmarks || frame == Frame::categories || frame == Frame::history;
    }

    static unsigned requiredKeys(Frame frame) {
        switch (frame) {
            // root: version, bookmarks, history, settings; bookmark: id, url,
            // title, createdAt; history entry: id, url, title, visitedAt
            case Frame::root:
            case Frame::bookmark:
            case Frame::historyEntry:
                return 0b1111;
            case Frame::category:
                return 0b111;  // id, title, createdAt
            default:
                return 0;
        }
    }

    bool enter() {
        ++depth_;
        return depth_ <= maximumDepth;
    }

    bool leave() {
        --depth_;
        if (skipping_ > 0) {
            --skipping_;
            return true;
        }
        const auto closed = open_.back();
        open_.pop_back();
        target_ = std::monostate{};
        const auto required = requiredKeys(closed.frame);
        return (closed.seen & required) == required;
    }

    template <typename List>
    bool openList(List& list, Frame frame) {
        list.clear();
        markSeen();
        open_.push_back({frame});
        return true;
    }

    // Hands the value to the field of the current key; false when the field
    // does not take a value of this JSON type or range.
    template <typename Assign>
    bool scalar(Assign assign) {
        if (skipping_ > 0) {
            return true;
        }
        if (open_.empty() || isList(open_.back().frame)) {
            return false;
        }
        const bool assigned = std::visit(
            Overloaded{
                [](std::monostate) { return true; },
                assign,
            },
            target_);
        if (!assigned) {
            return false;
        }
        markSeen();
        return true;
    }

    void markSeen() { open_.back().seen |= targetBit_; }

    template <typename Field>
    void target(Field* field, unsigned bit = 0) {
        target_ = field;
        targetBit_ = bit;
    }

    void select(std::string_view name) {
        target_ = std::monostate{};
        targetBit_ = 0;
        switch (open_.back().frame) {
            case Frame::root:
                selectRootField(name);
                break;
            case Frame::bookmark:
                selectBookmarkField(name, snapshot_.bookmarks.back());
                break;
            case Frame::category:
                selectCategoryField(name, snapshot_.bookmarkCategories.back());
                break;
            case Frame::historyEntry:
                selectHistoryField(name, snapshot_.history.back());
                break;
            case Frame::settings:
                selectSettingsField(name, snapshot_.settings);
                break;
            default:
                break;
        }
    }

    void selectRootField(std::string_view name) {
        if (name == "version") {
            target(&snapshot_.version, 1U << 0U);
        } else if (name == "bookmarks") {
            target(&snapshot_.bookmarks, 1U << 1U);
        } else if (name == "history") {
            target(&snapshot_.history, 1U << 2U);
        } else if (name == "settings") {
            target(&snapshot_.settings, 1U << 3U);
        } else if (name == "defaultBookmarksSeedVersion") {
            target(&snapshot_.defaultBookmarksSeedVersion);
        } else if (name == "bookmarkCategories") {
            target(&snapshot_.bookmarkCategories);
        }
    }

    void selectBookmarkField(std::string_view name, DiskBookmark& bookmark) {
        if (name == "id") {
            target(&bookmark.id, 1U << 0U);
        } else if (name == "url") {
            target(&bookmark.url, 1U << 1U);
        } else if (name == "title") {
            target(&bookmark.title, 1U << 2U);
        } else if (name == "createdAt") {
            target(&bookmark.createdAt, 1U << 3U);
        } else if (name == "position") {
            target(&bookmark.position);
        } else if (name == "faviconUrl") {
            target(&bookmark.faviconUrl);
        } else if (name == "categoryId") {
            target(&bookmark.categoryId);
        }
    }

    void selectCategoryField(std::string_view name, DiskCategory& category) {
        if (name == "id") {
            target(&category.id, 1U << 0U);
        } else if (name == "title") {
            target(&category.title, 1U << 1U);
        } else if (name == "createdAt") {
            target(&category.createdAt, 1U << 2U);
        } else if (name == "position") {
            target(&category.position);
        }
    }

    void selectHistoryField(std::string_view name, DiskHistory& entry) {
        if (name == "id") {
            target(&entry.id, 1U << 0U);
        } else if (name == "url") {
            target(&entry.url, 1U << 1U);
        } else if (name == "title") {
            target(&entry.title, 1U << 2U);
        } else if (name == "visitedAt") {
            target(&entry.visitedAt, 1U << 3U);
        }
    }

    void selectSettingsField(std::string_view name, DiskSettings& settings) {
        if (name == "searchEngine") {
            target(&settings.searchEngine);
        } else if (name == "shortcut") {
            target(&settings.shortcut);
        } else if (name == "previousWindowShortcut") {
            target(&settings.previousWindowShortcut);
        } else if (name == "nextWindowShortcut") {
            target(&settings.nextWindowShortcut);
        } else if (name == "themePreference") {
            target(&settings.themePreference);
        } else if (name == "keepRunningAfterLastWindow") {
            target(&settings.keepRunningAfterLastWindow);
        } else if (name == "autoHideToolbar") {
            target(&settings.autoHideToolbar);
        } else if (name == "menuBarIconStyle") {
            target(&settings.menuBarIconStyle);
        } else if (name == "defaultOpacity") {
            target(&settings.defaultOpacity);
        }
    }

    DiskSnapshot snapshot_;
    std::vector<OpenContainer> open_;
    Target target_;
    unsigned targetBit_ = 0;
    std::size_t depth_ = 0;
    std::size_t skipping_ = 0;  // levels open inside the value of an unknown key
};

}  // namespace

std::optional<DiskSnapshot> DiskSnapshot::read(std::string_view data) {
    // JSON text never holds a raw NUL, and the parser takes one for the end
    // of the input: whatever follows it would pass unread.
    if (data.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    Reader reader;
    if (!Json::sax_parse(data.begin(), data.end(), &reader)) {
        return std::nullopt;
    }
    return std::move(reader.snapshot());
}

}  // namespace velumo
