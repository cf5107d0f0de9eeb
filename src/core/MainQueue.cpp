#include "MainQueue.h"

#include <glib.h>

namespace velumo {
namespace {

gboolean runOnce(gpointer data) {
    (*static_cast<MainQueue::Step*>(data))();
    return G_SOURCE_REMOVE;
}

void destroyStep(gpointer data) {
    delete static_cast<MainQueue::Step*>(data);
}

void attach(GSource* source, MainQueue::Step step) {
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runOnce, new MainQueue::Step(std::move(step)), destroyStep);
    g_source_attach(source, g_main_context_default());
    g_source_unref(source);
}

}  // namespace

void MainQueue::async(Step step) {
    attach(g_idle_source_new(), std::move(step));
}

void MainQueue::asyncAfter(std::chrono::milliseconds delay, Step step) {
    attach(g_timeout_source_new(static_cast<guint>(delay.count())), std::move(step));
}

}  // namespace velumo
