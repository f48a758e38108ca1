// The customer information page: the number, the company and the contact person, the
// radio channel and frequency. Their texts travel only inside settings files.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/form_pages.h"

namespace rilo {
namespace {

QLineEdit *Line(const char *name, QWidget *parent, int width = 200) {
  auto *field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setFixedWidth(width);
  return field;
}

QPlainTextEdit *Memo(const char *name, QWidget *parent, bool scrollBar) {
  auto *memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  memo->setFixedSize(200, 64);
  return memo;
}

struct Field {
  const char *control;
  const char *label;
  const char *caption;
  bool memo;
  bool scrollBar;
};

QFrame *FieldsPanel(const char *name, std::initializer_list<Field> fields, QWidget *parent) {
  auto *panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  auto *grid = new QGridLayout(panel);
  grid->setContentsMargins(6, 4, 6, 4);
  int row = 0;
  for (const Field &f : fields) {
    grid->addWidget(Caption(f.label, f.caption, panel), row, 0, f.memo ? Qt::AlignTop : Qt::Alignment());
    if (f.memo)
      grid->addWidget(Memo(f.control, panel, f.scrollBar), row, 1);
    else
      grid->addWidget(Line(f.control, panel), row, 1);
    ++row;
  }
  return panel;
}

}  // namespace

QWidget *BuildCustomerInformationPage() {
  auto *page = new QWidget;
  page->setObjectName("TabCustomerInformation");
  auto *column = new QVBoxLayout(page);
  column->setContentsMargins(8, 6, 8, 6);

  auto *number = new QHBoxLayout;
  number->addWidget(Caption("LabelCustomerNo", "客 戶 編 號", page));
  number->addWidget(Line("ECustomerNo", page));
  number->addStretch();
  column->addLayout(number);

  auto *panels = new QGridLayout;
  panels->addWidget(Heading("LabelCompanyData", "用戶資料", page), 0, 0);
  panels->addWidget(FieldsPanel("PanelCompanyData",
                                {{"ECompanyName", "LabelCompanyName", "公 司 名 稱", false, false},
                                 {"ECompanyFax", "LabelCompanyFax", "傳 真 號 碼", false, false},
                                 {"ECompanyTel", "LabelCompanyTel", "電 話 號 碼", false, false},
                                 {"ECompanyEmail", "LabelCompanyEmail", "電 子 郵 件", false, false},
                                 {"MCompanyAdd", "LabelCompanyAdd", "公 司 地 址", true, false}},
                                page),
                    1, 0);
  panels->addWidget(Heading("LabelContectMan", "用戶連絡人", page), 0, 1);
  panels->addWidget(FieldsPanel("PanelContectData",
                                {{"EContectName", "LabelContectName", "連絡人姓名", false, false},
                                 {"EContectTel", "LabelContectTel", "電話號碼", false, false},
                                 {"EContectMobil", "LabelContectMobil", "行動電話號碼", false, false},
                                 {"EContectEmail", "LabelContectEmail", "電子郵件", false, false},
                                 {"MRemark", "LabelRemark", "安裝備註", true, true}},
                                page),
                    1, 1);

  auto *radio = new QGridLayout;
  radio->addWidget(Caption("Label1", "頻道", page), 0, 0);
  radio->addWidget(Line("EChanel", page, 90), 0, 1);
  radio->addWidget(Caption("Label3", "頻率", page), 1, 0);
  radio->addWidget(Line("EFrequency", page, 90), 1, 1);
  radio->addWidget(Caption("Label2", "MHz", page), 1, 2);
  radio->setRowStretch(2, 1);
  panels->addLayout(radio, 1, 2);
  column->addLayout(panels);
  column->addStretch();
  return page;
}

}  // namespace rilo
