#include "platform/UiLanguage.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt 6 names the kinds of entry in its file dialog under a context of its own
// that Debian's Chinese catalogue for Qt 6.4 still lacks; these few names are
// given here. A catalogue that has them is asked first.
class FileKindNames : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        static const QHash<QByteArray, QString> names{
            {"Folder", QStringLiteral("文件夹")},     {"Drive", QStringLiteral("驱动器")},
            {"Shortcut", QStringLiteral("快捷方式")}, {"File", QStringLiteral("文件")},
            {"Unknown", QStringLiteral("未知")},
        };
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        return names.value(QByteArray(sourceText));
    }
};

} // namespace

bool uilanguage::installQtTranslations() {
    QCoreApplication::installTranslator(new FileKindNames(QCoreApplication::instance()));
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded =
        translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}
