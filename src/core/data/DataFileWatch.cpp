#include "data/DataFileWatch.h"

#include <algorithm>
#include <filesystem>

#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {

DataFileWatch::DataFileWatch(AppDataStore& store) : store_(store) {
    std::vector<std::filesystem::path> files{store.path()};
    if (const auto target = DurableFile::linkTarget(store.path()); target && *target != files[0]) {
        files.push_back(*target);
    }
    std::vector<std::filesystem::path> folders;
    for (const auto& file : files) {
        names_.push_back(file.filename().string());
        const auto folder = file.parent_path();
        if (std::ranges::find(folders, folder) != folders.end()) {
            continue;
        }
        folders.push_back(folder);
        GFile* directory = g_file_new_for_path(folder.c_str());
        // A replacement by rename comes as one event naming both files.
        GFileMonitor* monitor =
            g_file_monitor_directory(directory, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
        g_object_unref(directory);
        if (monitor != nullptr) {
            g_signal_connect(monitor, "changed", G_CALLBACK(&DataFileWatch::changed), this);
            monitors_.push_back(monitor);
        }
    }
}

DataFileWatch::~DataFileWatch() {
    for (GFileMonitor* monitor : monitors_) {
        g_signal_handlers_disconnect_by_data(monitor, this);
        g_file_monitor_cancel(monitor);
        g_object_unref(monitor);
    }
}

void DataFileWatch::changed(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event,
                            gpointer self) {
    auto* watch = static_cast<DataFileWatch*>(self);
    // A file written in place is looked at once its writer is done with it,
    // not halfway through.
    switch (event) {
        case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
        case G_FILE_MONITOR_EVENT_CREATED:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
            if (watch->concernsTheFile(file)) {
                watch->store_.lookForOutsideChange();
            }
            break;
        case G_FILE_MONITOR_EVENT_RENAMED:
            if (watch->concernsTheFile(other)) {
                watch->store_.lookForOutsideChange();
            }
            break;
        default:
            break;
    }
}

bool DataFileWatch::concernsTheFile(GFile* file) const {
    if (file == nullptr) {
        return false;
    }
    char* name = g_file_get_basename(file);
    const bool concerns = name != nullptr && std::ranges::find(names_, name) != names_.end();
    g_free(name);
    return concerns;
}

}  // namespace velumo
