// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/editor/genomeEdit.h"
#include "ui/errorReport.h"

#include <QMainWindow>

#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QScrollArea;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;
class QVBoxLayout;

namespace helixplot {

// What the editor asks of the rest of the program and of the user; tests
// answer in place of the boxes and the file dialog.
struct EditorHooks {
    ErrorReporter reportError;
    // "Open this file's mapping": a Single Comparative mapping of the saved
    // genome against the one it was opened from.
    std::function<void(const QString& genome, const QString& original)> compare;
    // A yes/no question (a move that changes a gene's organ).
    std::function<bool(const QString& question)> confirm;
    // Closing with unsaved changes: Save, Discard or Cancel.
    std::function<int(const QString& question)> askSave;
    // The Save As dialog: the chosen file, empty when cancelled.
    std::function<QString(const QString& suggested)> chooseSaveFile;
};

// A window over one genome's bytes: its genes grouped as the breakdown
// groups them, a form for the current gene built from the genome text's
// description of every byte, the gene's breakdown lines as edited with the
// changed lines tinted, and undo of every change. It writes only new files.
class GenomeEditor : public QMainWindow {
    Q_OBJECT
public:
    enum SaveAnswer { Save, Discard, Cancel };

    // Opens path in a new editor window (shown, deleted on close); a genome
    // that does not load opens none and is reported with the file named.
    static GenomeEditor* open(const QString& path, EditorHooks hooks);

    GenomeEditor(const QString& path, GenomeEdit genome, EditorHooks hooks, QWidget* parent = nullptr);
    ~GenomeEditor() override;

    const GenomeEdit& genome() const { return genome_; }
    QUndoStack& undoStack() const { return *undo_; }
    QString filePath() const { return path_; }
    QString originalPath() const { return original_; }
    QString savedPath() const { return saved_; }

    // The gene shown in the form (an index into genome().genes()), or -1.
    int currentGene() const { return current_; }
    void selectGene(int index);
    // The breakdown lines shown under the form, as shown.
    QStringList shownLines() const;
    // Rows of shownLines() marked as changed.
    std::vector<int> changedLines() const;

    // One byte of a gene, as the form sets it (one undo step).
    void setGeneByte(int gene, std::size_t offset, std::uint8_t value);
    void addGene(GeneKind kind);
    void duplicateGene();
    void deleteGene();
    // step -1 up, +1 down; asks first when the gene's organ would change.
    void moveGene(int step);
    // Writes the genome to path, a new file; true when written.
    bool saveAs(const QString& path);
    void compareWithOriginal();

    // The "Text" view: the whole genome as genome text. An edited text that
    // compiles replaces the genome (one undo step); one that does not has
    // its errors marked at their lines and keeps Save As from writing.
    QPlainTextEdit& textView() const { return *text_; }
    // Compiles the text view now rather than after the typing pause.
    void applyText();
    // The text's errors as "LINE:COLUMN: message" lines; empty when it compiles.
    QStringList textErrors() const { return textErrors_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class EditBytesCommand;
    friend class EditGenesCommand;
    void buildActions();
    void fillGeneList();
    void applyFilter();
    void buildForm();
    void refreshForm();
    void refreshLines();
    void geneChanged(int gene);
    void genesChanged(int select);
    void updateTitle();
    void refreshText();
    void chooseAndSave();
    QString geneCaption(int gene) const;

    QString path_;
    QString original_;
    QString saved_;
    GenomeEdit genome_;
    EditorHooks hooks_;
    QUndoStack* undo_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* genes_ = nullptr;
    std::vector<QTreeWidgetItem*> items_; // by gene index
    QScrollArea* formArea_ = nullptr;
    QWidget* form_ = nullptr;
    QListWidget* lines_ = nullptr;
    QAction* compare_ = nullptr;
    QTabWidget* views_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QListWidget* errors_ = nullptr;
    QTimer* textPause_ = nullptr;
    QStringList textErrors_;
    bool textStale_ = true;
    bool applyingText_ = false;
    int current_ = -1;
    // Each control of the form, set again from the genome after a change.
    std::vector<std::function<void()>> refreshers_;
    bool refreshing_ = false;
};

} // namespace helixplot
