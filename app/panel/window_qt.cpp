#include "app/panel/window.h"

#include "ui/qt/view.h"

namespace app::panel {

std::string window_refusal(const Options &)
{
    return "";
}

bool window_built()
{
    return true;
}

void install_window()
{
    ui::qt::install();
}

}  // namespace app::panel
