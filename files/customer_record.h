// The customer block that follows the settings part of a settings file: one line per
// field, the key directly followed by the field's text, then "End". The writer and
// the reader share this table so the keys, their order and their spelling stay one.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rilo {

struct CustomerField {
  std::string_view key;      // letter for letter as stored files have it, "Contect" and "Chanel" included
  std::string_view control;  // the field on the customer page
  bool memo;                 // several lines joined by CR LF
};

inline constexpr int kCustomerFieldCount = 13;

inline constexpr std::array<CustomerField, kCustomerFieldCount> kCustomerFields = {{
    {"Customer No:", "ECustomerNo", false},
    {"Company Name:", "ECompanyName", false},
    {"Company Fax No:", "ECompanyFax", false},
    {"Company Tel:", "ECompanyTel", false},
    {"Company E-Mail:", "ECompanyEmail", false},
    {"Company Address:", "MCompanyAdd", true},
    {"Contect Man:", "EContectName", false},
    {"Contect Tel:", "EContectTel", false},
    {"Contect Mobile:", "EContectMobil", false},
    {"Contect E-mail:", "EContectEmail", false},
    {"Remark:", "MRemark", true},
    {"Chanel:", "EChanel", false},
    {"Frequency:", "EFrequency", false},
}};

inline constexpr std::string_view kCustomerEnd = "End";

// The thirteen texts in the order of kCustomerFields (ECustomerNo .. EFrequency).
struct CustomerRecord {
  std::array<std::string, kCustomerFieldCount> texts;
  bool operator==(const CustomerRecord &) const = default;
};

}  // namespace rilo
