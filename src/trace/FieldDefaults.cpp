#include "trace/FieldDefaults.h"

#include "trace/MapFields.h"
#include "trace/Numbers.h"

#include <array>

namespace {

struct FieldText {
    const char16_t* caption;
    const char16_t* text;
};

constexpr std::array<FieldText, kFieldCount> kFields{{
    {u"测试段", u"T1-B1F--T2-B1F"},
    {u"馈线长", u"13.5"},
    {u"驻波比", u"1.18"},
    {u"测试距离", u"20"},
    {u"站点", u"Distance-to-fault"},
    {u"Ins.Loss:", u"0.040dB/m"},
    {u"Prop.Vel:", u"0.880"},
    {u"Resolution:", u"517"},
    {u"Date:", u""},
    {u"Model:", u"T520K"},
    {u"CAL:", u"ON(COAX)"},
    {u"Time:", u""},
    {u"Serial#:", u"00401017"},
    {u"CW:", u"ON"},
}};

} // namespace

QString fielddefaults::caption(Field field) {
    return QString::fromUtf16(kFields[static_cast<size_t>(indexOf(field))].caption);
}

QString fielddefaults::text(Field field) {
    const QString text = QString::fromUtf16(kFields[static_cast<size_t>(indexOf(field))].text);
    const bool number =
        field == Field::FeederLength || field == Field::Vswr || field == Field::TestDistance;
    return number ? numbers::forLocale(text) : text;
}

MapFields MapFields::defaults() {
    MapFields fields;
    for (const Field field : allFields()) {
        fields.texts[field] = fielddefaults::text(field);
        fields.captions[field] = fielddefaults::caption(field);
    }
    return fields;
}
