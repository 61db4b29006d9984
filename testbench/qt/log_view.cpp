#include "log_view.h"

#include <QScrollBar>

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
    return document()->blockCount();
}

void CLogView::LineScroll(int lines) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

}  // namespace brisel::qt
