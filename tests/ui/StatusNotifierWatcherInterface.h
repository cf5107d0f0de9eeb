#pragma once

namespace velumo {

// What a desktop panel owns on the session bus so that status icons export
// their items to it: the tests' watcher and the figure scripts' stand-in.
inline constexpr const char* statusNotifierWatcherName = "org.kde.StatusNotifierWatcher";
inline constexpr const char* statusNotifierWatcherInterface = R"(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)";

}  // namespace velumo
