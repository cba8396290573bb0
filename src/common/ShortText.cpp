#include "common/ShortText.h"

#include <QCoreApplication>

QString shorttext::cut(const QString& text, qsizetype limit) {
    if (text.size() <= limit)
        return text;
    // Never half of a character outside the basic plane.
    const qsizetype kept = text[limit - 1].isHighSurrogate() ? limit - 1 : limit;
    // One arg() call for both: a text holding "%2" of its own stays as it is.
    return QCoreApplication::translate("common", "%1…（共 %2 个字符）")
        .arg(text.left(kept), QString::number(text.size()));
}

QString shorttext::quotedList(const QStringList& items, qsizetype limit) {
    QString list;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString item = QStringLiteral("“%1”").arg(cut(items[i]));
        if (i > 0 && list.size() + 1 + item.size() > limit)
            return QCoreApplication::translate("common", "%1…等共 %2 个")
                .arg(list, QString::number(items.size()));
        if (i > 0)
            list += QCoreApplication::translate("common", "、");
        list += item;
    }
    return list;
}
