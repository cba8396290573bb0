#include "support/Fakes.h"

MessageAnswer FakeDialogs::show(const MessageBox& box) {
    boxes.append(box);
    messages.append({box.icon == MessageBox::Icon::Critical, box.text, box.icon});
    if (onMessage)
        onMessage(messages.last());
    const bool asks = !box.buttons.isEmpty() || !box.option.isEmpty() || !box.action.isEmpty();
    return asks && !answers.isEmpty() ? answers.takeFirst() : MessageAnswer{};
}

QString FakeDialogs::openFileName(const QString& title, const QString& filter, FileKind kind) {
    ++dialogsShown;
    kindsAsked.append(kind);
    titlesAsked.append(title);
    filtersAsked.append(filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList FakeDialogs::criticalTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        if (m.critical)
            texts.append(m.text);
    return texts;
}

QStringList FakeDialogs::informationTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        if (m.icon == MessageBox::Icon::Information)
            texts.append(m.text);
    return texts;
}

QList<MessageBox> FakeDialogs::questions() const {
    QList<MessageBox> asked;
    for (const MessageBox& box : boxes)
        if (!box.buttons.isEmpty())
            asked.append(box);
    return asked;
}

void FakeClipboard::clear() {
    ++clears;
    image = QImage();
}

bool FakeClipboard::setImage(const QImage& picture) {
    if (failSet)
        return false;
    ++sets;
    image = picture;
    return true;
}

bool FakeDesktop::openFile(const QString& path) {
    opened.append(path);
    return !fail;
}

void CountingYield::yieldEvents() {
    ++count;
    if (onYield)
        onYield(count);
}
