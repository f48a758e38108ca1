// The three pages of the main window's page control, built with every control named
// as the form names it. The option lists start empty: the form model fills them.
#pragma once

#include <QLabel>
#include <QWidget>

namespace rilo {

QWidget *BuildPushBottonPage();      // "功能設定": transmitter, receiver and key options
QWidget *BuildSpecialSettingPage();  // "特殊功能設定": transmitter special options, one-speed delays
QWidget *BuildCustomerInformationPage();  // "客戶資訊": the thirteen customer fields

// A label named as the form names it, and a panel heading (bold, navy).
QLabel *Caption(const char *name, const char *text, QWidget *parent);
QLabel *Heading(const char *name, const char *text, QWidget *parent);

}  // namespace rilo
