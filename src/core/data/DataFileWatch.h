#pragma once

#include <string>
#include <vector>

#include <gio/gio.h>

namespace velumo {

class AppDataStore;

// Watches the folder of the data file, and the folder of the file its links
// lead to, so that a change another program makes (an editor, a sync tool,
// Velumo in another session) shows without waiting for the next save: each
// finished change of the file asks the store to look. Main thread; events
// arrive on the default main context.
class DataFileWatch {
  public:
    explicit DataFileWatch(AppDataStore& store);
    DataFileWatch(const DataFileWatch&) = delete;
    DataFileWatch& operator=(const DataFileWatch&) = delete;
    ~DataFileWatch();

  private:
    static void changed(GFileMonitor* monitor, GFile* file, GFile* other, GFileMonitorEvent event,
                        gpointer self);
    bool concernsTheFile(GFile* file) const;

    AppDataStore& store_;
    // The names the data file goes by in the folders watched.
    std::vector<std::string> names_;
    std::vector<GFileMonitor*> monitors_;
};

}  // namespace velumo
