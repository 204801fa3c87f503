#pragma once
// CTanglewardenFrame: the base of every content window inside the main
// window. It counts the open frames of each frame class (the commands that
// close all logs or all reports follow the counts, and the first frame of a
// class may open maximised), keeps the window's placement in a setting per
// frame class, and keeps one tab in the main window's tabbed bar whose text
// follows the frame's title.
//
// Frame classes: 1 transfer queue, 2 transfer log, 3 report, 4 link tree,
// 5 editor; 0 is the base itself and is not counted. The counters are plain
// integers: UI thread only.

#include "platform/ui/FrameWnd.h"

#include <string>

class CPropertySet;
struct CCreateStruct;
struct CLinkTreeViewServices;

// What a frame class is: the template kind it shows, its class index, its
// placement setting (0: none) and its title (string id, 0: empty).
struct CFrameClass
{
    int m_kind;
    int m_classIndex;
    int m_placementId;
    unsigned m_titleId;
};

class CTanglewardenFrame : public CMDIChildWnd
{
    Q_OBJECT

public:
    static constexpr int kClassCount = 5;

    // settings: where the placement lives (null: none is kept). The title is
    // the string of titleId (0: empty).
    CTanglewardenFrame(int classIndex, int placementId, unsigned titleId, CPropertySet* settings,
                       QWidget* parent = nullptr);
    // A frame of the class in the table.
    CTanglewardenFrame(const CFrameClass& frameClass, CPropertySet* settings, QWidget* parent = nullptr);
    ~CTanglewardenFrame() override;

    // The row of the frame-class table for a template kind (1 task,
    // 2 transfer queue, 3 transfer log, 4 link report, 5 text editor); null
    // for any other kind. The one place that says which class index,
    // placement setting and title a kind's frame has.
    static const CFrameClass* FindFrameClass(int kind);

    // The frame of a template kind; null for any other kind. Kind 2 is a
    // CTransferQueueFrame with its toolbar; kind 1 is the task window
    // (CLinkTreeFrame with its four panes) when taskServices are given,
    // which its tree view's engine needs, else a plain frame (a program
    // whose task window is not registered).
    static CTanglewardenFrame* MakeForKind(int kind, CPropertySet* settings,
                                           const CLinkTreeViewServices* taskServices = nullptr);

    int GetClassIndex() const { return m_classIndex; }
    const std::string& GetFrameTitle() const { return m_title; }
    // Stores the title and hands it to the main window's tab; a non-zero
    // data value also makes the tab current.
    virtual void SetFrameTitle(const std::string& text, intptr_t data);

    static int GetOpenFrameCount(int classIndex);
    static int GetTotalFrameCount();

    // The stored placement of the frame class as the creation rectangle, in
    // the coordinates of the MDI area the frame sits in; nothing without a
    // placement id or a stored placement.
    virtual void PreCreateWindow(CCreateStruct& cs);
    // After the frame sits in the MDI area: applies the creation rectangle
    // (two thirds of the area when nothing is stored), creates the tab for a
    // non-empty title, and shows the frame (see ActivateFrame).
    void OnCreate();
    // The only open frame whose stored placement is maximised opens
    // maximised; any other with the given show command (PlacementShowCommand).
    void ActivateFrame(int showCommand);

    // The main window, while this frame is its active child, was activated
    // or deactivated. Nothing here; a task window passes it on to its link
    // view frame.
    virtual void OnMainFrameActivation(bool active) { (void)active; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Passes the activation on; on activation the frame's tab becomes the
    // current one.
    void OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated) override;

private:
    void CloseAllOfClass(int kind);
    QWidget* SubWindow();
    void SavePlacement();

    int m_classIndex;
    int m_placementId;
    std::string m_title;
    CPropertySet* m_settings;
    bool m_placementSaved = false;
};
