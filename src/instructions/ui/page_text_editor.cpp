#include "instructions/ui/page_text_editor.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "common/ui/template_dialog.h"
#include "instructions/page_text.h"

PageTextEditor::PageTextEditor(QPlainTextEdit* box, QLabel* message, std::function<void()> onEnter,
                               std::function<void()> onEdit)
    : QObject(box), box_(box), message_(message), onEnter_(std::move(onEnter)), onEdit_(std::move(onEdit))
{
    box_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box_->installEventFilter(this);
    connect(box_, &QPlainTextEdit::textChanged, this, &PageTextEditor::keepWithinPage);
}

void PageTextEditor::show(std::string_view pageText)
{
    settingText_ = true;
    box_->setPlainText(fromSingleByte(pageToBoxText(pageText)));
    acceptedText_ = boxText();
    settingText_ = false;
    message_->clear();
}

QString PageTextEditor::boxText() const
{
    // The document's own separators (a paragraph's end, Shift+Enter's line break)
    // are line breaks; the raw text keeps every other character as it is.
    QString text = box_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

std::string PageTextEditor::singleByteBoxText() const { return boxTextFromUtf8(boxText().toStdString()); }

std::string PageTextEditor::pageText() const
{
    PageText page;
    storeInto(page);
    return std::string(page.view());
}

void PageTextEditor::storeInto(PageText& page) const { storeBoxText(page, singleByteBoxText()); }

// Whatever was typed, pasted or dropped is compared with the text as it was: of the
// inserted part the page takes what the format can hold, as far as there is room.
void PageTextEditor::keepWithinPage()
{
    if (settingText_)
        return;
    const QString now = boxText();
    if (now == acceptedText_)
        return;
    const qsizetype shorter = std::min(now.size(), acceptedText_.size());
    qsizetype prefix = 0;
    while (prefix < shorter && now[prefix] == acceptedText_[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           now[now.size() - 1 - suffix] == acceptedText_[acceptedText_.size() - 1 - suffix])
        ++suffix;
    const QString inserted = now.mid(prefix, now.size() - prefix - suffix);
    const std::string kept = boxTextFromUtf8((now.left(prefix) + now.right(suffix)).toStdString());
    const std::size_t used = pageBytesOf(kept);
    const std::size_t room = used < pageTextCapacity ? pageTextCapacity - used : 0;
    const QString admitted = QString::fromStdString(admitIntoPage(inserted.toStdString(), room));
    if (admitted != inserted) {
        // Left out: refused characters, or (all of them fit the format) what had no room.
        const bool refused = boxTextFromUtf8(inserted.toStdString()).size() !=
                             static_cast<std::size_t>(inserted.size());
        message_->setText(QString::fromLatin1(refused ? pageRefusedCharactersMessage : pageFullMessage));
        settingText_ = true;
        QTextCursor cursor(box_->document());
        cursor.setPosition(static_cast<int>(prefix));
        cursor.setPosition(static_cast<int>(prefix + inserted.size()), QTextCursor::KeepAnchor);
        cursor.insertText(admitted);
        settingText_ = false;
    }
    acceptedText_ = boxText();
    if (onEdit_)
        onEdit_();
}

bool PageTextEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                box_->insertPlainText(QStringLiteral("\n"));
            else
                onEnter_();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
