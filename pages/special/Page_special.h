// The "Special Setting" page: free composition of the output settings.
#pragma once

#include <cstdint>

#include <QCoreApplication>

#include "dataout/params.h"
#include "framework/Dialog.h"
#include "pages/common/ReaderLink.h"
#include "settingfile/SettingFile.h"

class CPage_special : public Page {
    Q_DECLARE_TR_FUNCTIONS(CPage_special)

public:
    explicit CPage_special(const PageContext& context, QWidget* parent = nullptr);

    // The tab's text, and the caption the page gives control `id` in the
    // user's language (empty where it keeps the template's): Card Check names
    // the choices with them, so that they can be found on the page.
    static constexpr char kTitle[] = QT_TR_NOOP("Special Setting");
    static QString Title() { return tr(kTitle); }
    static QString Caption(int id);
    // A Special choice in the words of the page and its Detail dialog, so that
    // it can be chosen there: "Special Setting: All · Decimal · ...".
    static QString Describe(const params::CardSettings& settings);

    params::CardSettings GatherOptions() const;  // what Set sends, block address too
    // The page's choices as a setting file holds them, the Password as typed;
    // and back, choosing on the page what a file holds and sending nothing.
    setting::Special Choices();
    void Choose(const setting::Special& special);
    void OnSet();
    // The card-number size Self-Define sends, as Detail last set it.
    int32_t& CardSizeDetail() { return m_cardSizeDetail; }

protected:
    bool OnInitDialog() override;

private:
    PageContext m_context;
    int32_t m_cardSizeDetail = 0;
};
