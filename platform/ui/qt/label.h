// The report label.
#pragma once

#include <QMenu>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "window/checksum_compare.h"
#include "window/controls.h"

namespace Ui {

// The report label: each line of the caption on one row, never wrapped, so
// the lines below a long path stay in view. A first line too long for the
// label is shortened in the middle, keeping the end of the file name and
// its size in view, and its tooltip shows it whole. The text can be
// selected with the mouse and copied, whole where it is shortened. Its menu
// offers Copy, Select All and Compare with clipboard.
class QtLabel : public QPlainTextEdit, public Window::Label {
  public:
    explicit QtLabel(QWidget* parent);

    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption, std::size_t literalLength,
                    const Window::ReportChecksums& checksums) override;

    // The report as the label shows it, its lines separated by "\n" and the
    // first one whole.
    QString ReportText() const { return lines_.join(QLatin1Char('\n')); }
    // Copies the selected text, or the whole report when none is selected.
    void CopyReport();
    // The checksum in the clipboard compared with the report's; nothing
    // when the label shows no report.
    std::optional<Window::ChecksumComparison> CompareWithClipboard() const;
    // The label's menu, as a right-click opens it.
    std::unique_ptr<QMenu> ContextMenu();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    void ShowLines();
    int WholeTextPosition(int shownPosition) const;
    void ShowComparison();
    std::string caption_;
    std::optional<Window::ReportChecksums> checksums_;  // none until a report is shown
    QStringList lines_;                                 // as shown, the first one whole
    std::size_t nameStart_ = 0;    // where the file name starts in the first line (UTF-8)
    qsizetype keptHead_ = 0;       // characters shown before the ellipsis
    qsizetype hiddenLength_ = -1;  // characters the ellipsis stands for; -1 when none
};

}  // namespace Ui
