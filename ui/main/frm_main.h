#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/analysis.h"
#include "ui/widgets/user_prompts.h"

class QDragEnterEvent;
class QDropEvent;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class RowTableModel;
class RowTableView;
class frmAbout;
class frmHelp;

namespace wavedoc {
class WaveDocument;
}

// The program's window: a path strip (path box, Search, Analyse), the chunk grid
// on the left, the value grid on the right, and a status line under them for a
// chunk that could not be shown in full. It holds the last analysis (which
// the structure windows may share) and keeps ModPrg::FileState in step with
// the path box and that analysis.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(std::unique_ptr<UserPrompts> prompts, QWidget* parent = nullptr);
    ~frmMain() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Clicks on the findings label and on "Also in the file" in the status
    // line, and Return or Space on the findings label, open the structure window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void txtPatchesChange();
    void txtPatchesReturn();
    void cbSearchClick();
    void cbAnalizeClick();
    void mHelpClick();
    void mAboutClick();
    // The structure window of the file in the path box: raised when one is
    // open, else made from the last analysis or a load of its own.
    void mStructureClick();
    // Raises the structure window of `path`, or opens one (a file dropped on
    // a structure window comes here too).
    void OpenStructure(const std::string& path);
    void dbgChunkSelectionChanged(const QItemSelection& selected);

private:
    // The window's controls from top to bottom, each part built by its own
    // function below; then the Tab order, Ctrl+L, the window's size and the
    // controls' signals.
    void BuildControls();
    // A length of the window's design, in twips, as pixels for the font in use.
    int Pixels(int twips) const;
    // The path box, Search and Analyse in the "WAV file" frame.
    void BuildPathStrip(QWidget* central, QVBoxLayout* layout);
    // The chunk grid on the left, the value grid on the right; returns the
    // width given to the chunk grid, at least its design width.
    int BuildGrids(QWidget* central, QVBoxLayout* layout);
    // The status line, and the findings count at its right.
    void BuildStatusLine(QWidget* central, QVBoxLayout* layout);
    // Ctrl+L: the focus to the path box, its text selected.
    void AddGoToPathKey();
    void ConnectControls();
    void BuildMenus();
    void UpdateAnalyseButton();
    // Shows what Analyse answered: for a file that loaded, its chunk list and
    // findings, the analysis becoming the last one; for a file that is
    // refused, the message, the last analysis staying.
    void AnalyseResult(report::Analysis analysis);
    // The chunk list of the loaded file, each row's tool tip naming its offset.
    void ListChunks();
    // What the map and the check of the loaded file tell: the chunk types the
    // list does not show, and the findings in lbFindings.
    void SummariseFile();
    // Search keeps the chosen file as the path; a dropped file goes the same way.
    void TakeChosenPath(const QString& path);
    // Search's last step, also after a cancelled dialog.
    void UpdateAnalyseButtonAndFocus();
    // The status line: the damage the last analysis got past, if any, then the
    // reason the selected chunk could not be shown in full, if it could not.
    void ShowStatus(const std::optional<std::string>& stop);
    // Whether the file on disk is no longer the one analysed.
    bool FileChanged() const;
    // What the status line says of such a file: what to do about it first.
    std::string ChangedSinceAnalyse() const;

    std::unique_ptr<UserPrompts> prompts_;
    // The last analysis whose file was read (at first an empty document and
    // no findings). The next one replaces it, but its document and findings
    // are shared and never changed, so a structure window made from it keeps
    // showing them whatever the next analysis does.
    report::Analysis analysis_;

    QLineEdit* txtPatches_ = nullptr;
    QPushButton* cbSearch_ = nullptr;
    QPushButton* cbAnalize_ = nullptr;
    RowTableModel* chunkRows_ = nullptr;
    RowTableModel* valueRows_ = nullptr;
    RowTableView* dbgChunk_ = nullptr;
    RowTableView* dbgValues_ = nullptr;
    QLabel* lbStatus_ = nullptr;
    QLabel* lbFindings_ = nullptr;
    // What the last analysis found out about the whole file, for the status line.
    std::string alsoInFile_;
    std::vector<std::string> lostContent_;  // the sentences of the last check's errors

    QPointer<frmHelp> helpWindow_;
    QPointer<frmAbout> aboutWindow_;
};
