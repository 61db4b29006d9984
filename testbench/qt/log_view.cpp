// SPDX-License-Identifier: MIT
#include "log_view.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>

namespace brisel::qt {

QString FromLogText(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

std::string ToLogText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s.toStdString();
}

CLogView::CLogView(CBrisel32Doc& doc, QWidget* parent) : QPlainTextEdit(parent) {
    // Long lines wrap: no horizontal scrolling.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_ = std::make_unique<CBrisel32View>(doc, *this);
}

void CLogView::SetText(const std::string& text) {
    setPlainText(FromLogText(text));
}

int CLogView::GetLineCount() {
    // The lines as shown: a long line counts once for every screen line it wraps to. A block
    // that is not laid out yet counts as one line; a short log is laid out first, so that a
    // few long lines are counted as they wrap. A long log is counted as it stands: laying all
    // of it out on every refresh costs far more than the count is worth, and its count is
    // beyond ten either way.
    constexpr int kLayOutUpTo = 10;
    QTextDocument* doc = document();
    if (doc->blockCount() <= kLayOutUpTo) {
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            doc->documentLayout()->blockBoundingRect(block);
    }
    return doc->lineCount();
}

void CLogView::LineScroll(int lines) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

}  // namespace brisel::qt
