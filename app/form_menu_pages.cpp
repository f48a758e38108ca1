// The option pages: every option list beside its caption, grouped in the form's panels.
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/form_pages.h"

namespace rilo {

QLabel *Caption(const char *name, const char *text, QWidget *parent) {
  auto *label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  return label;
}

QLabel *Heading(const char *name, const char *text, QWidget *parent) {
  QLabel *label = Caption(name, text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  label->setStyleSheet("color: navy;");
  return label;
}

namespace {

// The designed width of a list; a list grows beyond it to show its widest entry whole.
constexpr int kListWidth = 76;

struct Row {
  const char *list;
  const char *labelName;
  const char *caption;
};

QComboBox *List(const char *name, QWidget *parent) {
  auto *list = new QComboBox(parent);
  list->setObjectName(name);
  list->setMinimumWidth(kListWidth);
  return list;
}

QFrame *Panel(const char *name, QWidget *parent) {
  auto *panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  return panel;
}

// A panel of caption / list rows laid out in `columns` pairs of columns.
QFrame *RowsPanel(const char *name, std::initializer_list<Row> rows, int columns, QWidget *parent) {
  QFrame *panel = Panel(name, parent);
  auto *grid = new QGridLayout(panel);
  grid->setContentsMargins(4, 3, 4, 3);
  grid->setVerticalSpacing(3);
  int i = 0;
  const int perColumn = (static_cast<int>(rows.size()) + columns - 1) / columns;
  for (const Row &row : rows) {
    const int r = i % perColumn, c = 2 * (i / perColumn);
    grid->addWidget(Caption(row.labelName, row.caption, panel), r, c);
    grid->addWidget(List(row.list, panel), r, c + 1);
    ++i;
  }
  return panel;
}

struct KeyPair {
  const char *panel;
  const char *prefix;  // names the panel's own labels
  const char *firstKey;
  const char *secondKey;
  const char *action, *firstAcc, *secondAcc, *firstEms, *secondEms, *interlock;
};

constexpr KeyPair kKeyPairs[] = {
    {"PanelUD", "UD", "上 鍵", "下 鍵", "CBUDAction", "CBUpAccTime", "CBDownAccTime", "CBUpEMS", "CBDownEMS",
     "CBUDInterLock"},
    {"PanelEW", "EW", "東 鍵", "西 鍵", "CBEWAction", "CBEastAccTime", "CBWestAccTime", "CBEastEMS",
     "CBWestEMS", "CBEWInterLock"},
    {"PanelSN", "SN", "南 鍵", "北 鍵", "CBSNAction", "CBSouthAccTime", "CBNorthAccTime", "CBSouthEMS",
     "CBNorthEMS", "CBSNInterLock"},
    {"PanelR12", "R12", "R1 鍵", "R2 鍵", "CBR12Action", "CBR1AccTime", "CBR2AccTime", "CBR1EMS", "CBR2EMS",
     "CBR12InterLock"},
    {"PanelR34", "R34", "R3 鍵", "R4 鍵", "CBR34Action", "CBR3AccTime", "CBR4AccTime", "CBR3EMS", "CBR4EMS",
     "CBR34InterLock"},
};

constexpr const char *kActionCaption = "按   鍵   動    作";
constexpr const char *kAccCaption = "加速延遲時間";
constexpr const char *kEmsCaption = "緊急停止控制";
constexpr const char *kInterlockCaption = "相互抑制動作";

std::string Named(const char *kind, const char *prefix) {
  return std::string("Label") + prefix + kind;
}

QGridLayout *KeyGrid(QFrame *panel, const char *prefix, const char *firstKey, const char *secondKey) {
  auto *grid = new QGridLayout(panel);
  grid->setContentsMargins(4, 3, 4, 3);
  grid->setVerticalSpacing(3);
  grid->addWidget(Caption(Named("Key1", prefix).c_str(), firstKey, panel), 0, 1, Qt::AlignCenter);
  grid->addWidget(Caption(Named("Key2", prefix).c_str(), secondKey, panel), 0, 2, Qt::AlignCenter);
  return grid;
}

QFrame *KeyPairPanel(const KeyPair &pair, QWidget *parent) {
  QFrame *panel = Panel(pair.panel, parent);
  QGridLayout *grid = KeyGrid(panel, pair.prefix, pair.firstKey, pair.secondKey);
  grid->addWidget(Caption(Named("Action", pair.prefix).c_str(), kActionCaption, panel), 1, 0);
  QComboBox *action = List(pair.action, panel);
  action->setMinimumWidth(2 * kListWidth + grid->horizontalSpacing());
  grid->addWidget(action, 1, 1, 1, 2);
  grid->addWidget(Caption(Named("AccTime", pair.prefix).c_str(), kAccCaption, panel), 2, 0);
  grid->addWidget(List(pair.firstAcc, panel), 2, 1);
  grid->addWidget(List(pair.secondAcc, panel), 2, 2);
  grid->addWidget(Caption(Named("EMS", pair.prefix).c_str(), kEmsCaption, panel), 3, 0);
  grid->addWidget(List(pair.firstEms, panel), 3, 1);
  grid->addWidget(List(pair.secondEms, panel), 3, 2);
  grid->addWidget(Caption(Named("InterLock", pair.prefix).c_str(), kInterlockCaption, panel), 4, 0);
  QComboBox *interlock = List(pair.interlock, panel);
  interlock->setMinimumWidth(2 * kListWidth + grid->horizontalSpacing());
  grid->addWidget(interlock, 4, 1, 1, 2);
  return panel;
}

// The start key and the F1 key.
QFrame *OtherButtonPanel(QWidget *parent) {
  QFrame *panel = Panel("PanelOtherBotton", parent);
  QGridLayout *grid = KeyGrid(panel, "Other", "開機鍵", "F1 鍵");
  grid->addWidget(Caption("LabelOtherAction", kActionCaption, panel), 1, 0);
  grid->addWidget(List("CBR0Action", panel), 1, 1);
  grid->addWidget(List("CBR5Action", panel), 1, 2);
  grid->addWidget(Caption("LabelOtherAccTime", kAccCaption, panel), 2, 0);
  grid->addWidget(List("CBR5AccTime", panel), 2, 2);
  grid->addWidget(Caption("LabelOtherEMS", kEmsCaption, panel), 3, 0);
  grid->addWidget(List("CBR0EMS", panel), 3, 1);
  grid->addWidget(List("CBR5EMS", panel), 3, 2);
  grid->addWidget(Caption("LabelInchTime", "寸動時間", panel), 4, 0);
  grid->addWidget(List("CBR0InchTime", panel), 4, 1);
  return panel;
}

}  // namespace

QWidget *BuildPushBottonPage() {
  auto *page = new QWidget;
  page->setObjectName("TabPushBotton");
  auto *column = new QVBoxLayout(page);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(3);

  auto *top = new QGridLayout;
  top->addWidget(Heading("LabelTxOtherFunc", "發射機功能設定", page), 0, 0);
  top->addWidget(RowsPanel("PanelTxOtherFunc",
                           {{"CBOpenMode", "LabelOpenMode", "開  機  模  式"},
                            {"CBTxMode", "LabelTxMode", "發  射  模  式"},
                            {"CBCountClose", "LabelCountClose", "停  用  關  機"},
                            {"CBProvinceMode", "LabelProvinceMode", "省  電  模  式"},
                            {"CBLEDOnTime", "LabelLEDOnTime", "燈  號  閃  爍"},
                            {"CBTxRemoteSet", "LabelTxRemoteSet", "無線設定功能"}},
                           2, page),
                 1, 0);
  top->addWidget(Heading("LabelRxOtherFunc", "接收機功能設定", page), 0, 1);
  top->addWidget(RowsPanel("PanelRxOtherFunc",
                           {{"CBPassEMSAction", "LabelPassEMSAction", "被 動 關 機 動 作"},
                            {"CBPassEMSTime", "LabelPassEMSTime", "被 動 關 機 時 間"},
                            {"CBAutoOffTime", "LabelAutoOffTime", "自 動 關 機 功 能"},
                            {"CBRxRemoteSet", "LabelRxRemoteSet", "無線設定功能"}},
                           1, page),
                 1, 1);
  column->addLayout(top);

  column->addWidget(Heading("LabelBtnFunc", "按鍵功能設定", page));
  auto *keys = new QGridLayout;
  keys->setSpacing(3);
  for (int i = 0; i < 5; ++i)
    keys->addWidget(KeyPairPanel(kKeyPairs[i], page), i / 3, i % 3);
  keys->addWidget(OtherButtonPanel(page), 1, 2);
  column->addLayout(keys);
  column->addStretch();
  return page;
}

QWidget *BuildSpecialSettingPage() {
  auto *page = new QWidget;
  page->setObjectName("TabSpecialSetting");
  auto *row = new QHBoxLayout(page);
  row->setContentsMargins(4, 4, 4, 4);

  auto *tx = new QVBoxLayout;
  tx->addWidget(Heading("LabelTxSpeFunc", "發射機特殊功能設定", page));
  tx->addWidget(RowsPanel("PanelTxSpeFunc",
                          {{"CBTxBattCont", "LabelBattCont", "電池計數功能"},
                           {"CBTxEMSCont", "LabelTxEMSCont", "發射緊急停止次數"},
                           {"CBTxLowBattAction", "LabelLowBattAct", "電   力   不   足"},
                           {"CBTxBattLowEMS", "LabelLowBattEMS", "電力不足動作"}},
                          1, page));
  tx->addStretch();
  row->addLayout(tx);

  struct Delay {
    const char *list;
    const char *key;
  };
  constexpr Delay kDelays[] = {
      {"CBUp1DelayTime", "上 鍵"},   {"CBDown1DelayTime", "下 鍵"},  {"CBEast1DelayTime", "東 鍵"},
      {"CBWest1DelayTime", "西 鍵"}, {"CBSouth1DelayTime", "南 鍵"}, {"CBNorth1DelayTime", "北 鍵"},
      {"CBR11DelayTime", "R1 鍵"},   {"CBR21DelayTime", "R2 鍵"},    {"CBR31DelayTime", "R3 鍵"},
      {"CBR41DelayTime", "R4 鍵"},   {"CBR51DelayTime", "F1 鍵"},
  };
  auto *keys = new QVBoxLayout;
  keys->addWidget(Heading("LabelBtnSpeFunc", "按鍵特殊功能設定", page));
  QFrame *panel = Panel("PanelBtnSpeFunc", page);
  auto *grid = new QGridLayout(panel);
  grid->setContentsMargins(4, 3, 4, 3);
  grid->setVerticalSpacing(3);
  for (int i = 0; i < 11; ++i) {
    const int r = i % 6, c = 3 * (i / 6);
    const std::string key = std::string("LabelKey") + (kDelays[i].list + 2);
    const std::string caption = std::string("Label") + (kDelays[i].list + 2);
    grid->addWidget(Caption(key.c_str(), kDelays[i].key, panel), r, c);
    grid->addWidget(Caption(caption.c_str(), "一 速 延 遲 時 間", panel), r, c + 1);
    grid->addWidget(List(kDelays[i].list, panel), r, c + 2);
  }
  keys->addWidget(panel);
  keys->addStretch();
  row->addLayout(keys);
  row->addStretch();
  return page;
}

}  // namespace rilo
