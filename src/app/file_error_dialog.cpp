#include "app/file_error_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTextOption>

QString fromPathOrSingleByte(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError())
        return fromSingleByte(bytes);
    return text;
}

const DialogTemplate& FileErrorDialog::dialogTemplate()
{
    static const DialogTemplate t{"File Error",
                                  280,
                                  146,
                                  8,
                                  {
                                      {ControlKind::Static, MessageId, "", {10, 8, 260, 40}},
                                      {ControlKind::MultiLineEdit, DetailId, "", {10, 52, 260, 66}},
                                      {ControlKind::DefaultButton, OkId, "OK", {115, 125, 50, 14}},
                                  }};
    return t;
}

FileErrorDialog::FileErrorDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    auto* detail = control<QPlainTextEdit>(DetailId);
    detail->setReadOnly(true);
    // A path has no blanks to break at: a long one breaks where the box ends.
    detail->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

void FileErrorDialog::setTexts(std::string_view message, std::string_view detail)
{
    setControlText(MessageId, fromPathOrSingleByte(message));

    QString shown = fromPathOrSingleByte(detail);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    auto* box = control<QPlainTextEdit>(DetailId);
    box->setPlainText(shown);
    QTextOption option = box->document()->defaultTextOption();
    option.setAlignment(shown.contains(QLatin1Char('\n')) ? Qt::AlignLeft : Qt::AlignHCenter);
    box->document()->setDefaultTextOption(option);
}

void FileErrorDialog::showTexts(std::string_view message, std::string_view detail, QWidget* parent)
{
    FileErrorDialog dialog(parent);
    dialog.setTexts(message, detail);
    dialog.exec();
}
