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

guint attach(GSource* source, MainQueue::Step step) {
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runOnce, new MainQueue::Step(std::move(step)), destroyStep);
    const guint id = g_source_attach(source, g_main_context_default());
    g_source_unref(source);
    return id;
}

}  // namespace

void MainQueue::async(Step step) {
    attach(g_idle_source_new(), std::move(step));
}

MainQueue::Ticket MainQueue::asyncAfter(std::chrono::milliseconds delay, Step step) {
    return attach(g_timeout_source_new(static_cast<guint>(delay.count())), std::move(step));
}

void MainQueue::cancel(Ticket& ticket) {
    GSource* source =
        ticket != 0 ? g_main_context_find_source_by_id(g_main_context_default(), ticket) : nullptr;
    if (source != nullptr) {
        g_source_destroy(source);
    }
    ticket = 0;
}

}  // namespace velumo
