#include "workbench/WorkbenchTips.h"

namespace velumo::WorkbenchTips {

std::array<WorkbenchTip, count> tips(const AppSettings& settings) {
    return {{
        {"eye.slash", "离开即隐藏", "鼠标移出整个浮窗后立即隐藏，用老板键恢复。"},
        {"rectangle.bottomthird.inset.filled", "广告模式",
         "将网页伪装成右下角紧凑弹窗，并可自由调整大小。"},
        {"keyboard", "当前老板键", settings.shortcut},
        {"circle.lefthalf.filled", "调整透明度", "顶部滑杆最低保留 10%，避免窗口完全看不见。"},
        {"square.stack.3d.up", "切换浮窗",
         "上一个：" + settings.previousWindowShortcut + "\n下一个：" + settings.nextWindowShortcut},
        {"menubar.rectangle", "菜单栏图标", "可选择品牌眼睛、极简窗口、图钉，或完全隐藏。"},
        {"rectangle.topthird.inset.filled", "自动隐藏控制栏",
         settings.autoHideToolbar ? "当前已开启；鼠标移到窗口顶部小横条时展开。"
                                  : "默认关闭；开启后只保留窗口顶部的小横条。"},
    }};
}

}  // namespace velumo::WorkbenchTips
