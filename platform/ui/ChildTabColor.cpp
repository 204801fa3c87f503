#include "platform/ui/ChildTabColor.h"

#include <QWidget>

IChildTabColor* FindChildTabColor(QWidget* widget)
{
    return widget ? dynamic_cast<IChildTabColor*>(widget->window()) : nullptr;
}
