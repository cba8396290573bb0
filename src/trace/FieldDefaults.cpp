#include "trace/FieldDefaults.h"

#include "trace/MapFields.h"

#include <array>

namespace {

struct Field {
    const char16_t* caption;
    const char16_t* text;
};

constexpr std::array<Field, fielddefaults::kFieldCount> kFields{{
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

QString fielddefaults::caption(int index) {
    return index >= 0 && index < kFieldCount ? QString::fromUtf16(kFields[index].caption)
                                             : QString();
}

QString fielddefaults::text(int index) {
    return index >= 0 && index < kFieldCount ? QString::fromUtf16(kFields[index].text) : QString();
}

MapFields MapFields::defaults() {
    MapFields fields;
    for (int i = 0; i < fielddefaults::kFieldCount; ++i) {
        fields.texts[i] = fielddefaults::text(i);
        fields.captions[i] = fielddefaults::caption(i);
    }
    return fields;
}
