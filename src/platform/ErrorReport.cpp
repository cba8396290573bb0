#include "platform/ErrorReport.h"

#include "platform/AppInfo.h"

QString errorreport::text(const QString& description, ContactLine line) {
    const QString contact = line == ContactLine::Save
                                ? QStringLiteral("不明错误原因请联系作者:") +
                                      appinfo::contactAddress() + QStringLiteral("。")
                                : QStringLiteral("不明原因请联系作者") + appinfo::contactAddress();
    return QStringLiteral("错误！原因：\r\n") + description + QStringLiteral("\r\n") + contact;
}
