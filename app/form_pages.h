// The three pages of the main window's page control, built with every control named
// as the form names it. The option lists start empty: the form model fills them.
#pragma once

#include <QWidget>

namespace rilo {

QWidget *BuildPushBottonPage();      // "功能設定": transmitter, receiver and key options
QWidget *BuildSpecialSettingPage();  // "特殊功能設定": transmitter special options, one-speed delays
QWidget *BuildCustomerInformationPage();  // "客戶資訊": the thirteen customer fields

}  // namespace rilo
