#pragma once
// Form2, the clip editor: a start and an end time set with two sliders, and a
// player of its own to watch the clip. OK writes the times into the row it
// was opened for.
#include <QDialog>

class QLineEdit;

namespace varnel {

class PreviewPlayer;
class UserMessages;
class UserSlider;
class Workspace;

class ClipEditor : public QDialog {
    Q_OBJECT
public:
    // The workspace has been handed the row (Workspace::beginClipEditing),
    // and knows it by its id.
    ClipEditor(Workspace& workspace, UserMessages& messages, QWidget* parent);
    ~ClipEditor() override;

    PreviewPlayer& player() const { return *m_player; }

    void accept() override;
    // Every way of closing: the player quits, the clip file is forgotten.
    void done(int result) override;

private:
    void showClipLength();

    Workspace& m_workspace;
    UserMessages& m_messages;
    PreviewPlayer* m_player;
    UserSlider* m_start;
    UserSlider* m_end;
    QLineEdit* m_startText;
    QLineEdit* m_endText;
    QLineEdit* m_length;
};

} // namespace varnel
