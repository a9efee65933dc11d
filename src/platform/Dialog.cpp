// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Dialog.h"

#include <charconv>
#include <cstdio>

namespace tabrella::platform {

std::optional<int> ParseDialogInt(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void DataExchange::Text(int id, std::string& field) {
    if (m_failed) return;
    if (m_saving) {
        if (!m_controls.TextFitsSjis(id)) {
            m_failed = true;
            m_controls.RefuseInput(id, m_controls.Refusals().notShiftJis);
            return;
        }
        field = m_controls.GetText(id);
    } else {
        m_controls.SetText(id, field);
    }
}

void DataExchange::Int(int id, int& field) {
    if (m_failed) return;
    if (!m_saving) {
        m_controls.SetText(id, std::to_string(field));
        return;
    }
    std::optional<int> value = ParseDialogInt(m_controls.GetText(id));
    if (!value) {
        m_failed = true;
        m_controls.RefuseInput(id, m_controls.Refusals().integerRequired);
        return;
    }
    field = *value;
}

void DataExchange::IntInRange(int id, int& field, int lower, int upper) {
    if (m_failed) return;
    if (!m_saving) {
        Int(id, field);
        return;
    }
    std::optional<int> value = ParseDialogInt(m_controls.GetText(id));
    if (!value || *value < lower || *value > upper) {
        m_failed = true;
        char message[256];
        std::snprintf(message, sizeof message, m_controls.Refusals().integerRangeFormat.c_str(),
                      lower, upper);
        m_controls.RefuseInput(id, message);
        return;
    }
    field = *value;
}

void DataExchange::Check(int id, int& field) {
    if (m_failed) return;
    if (m_saving) {
        field = m_controls.GetCheck(id);
    } else {
        m_controls.SetCheck(id, field);
    }
}

bool CDialog::UpdateData(IDialogControls& controls, bool save) {
    DataExchange dx(controls, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDialog::OnInitDialog(IDialogControls& controls) {
    UpdateData(controls, false);
}

void CDialog::OnButton(int id, IDialogControls& controls) {
    if (id == kIdOk) {
        OnOK(controls);
    } else if (id == kIdCancel) {
        OnCancel(controls);
    }
}

void CDialog::OnOK(IDialogControls& controls) {
    if (UpdateData(controls, true)) controls.End(kIdOk);
}

void CDialog::OnCancel(IDialogControls& controls) {
    controls.End(kIdCancel);
}

std::unique_ptr<IProgress> IDialogHost::ShowProgress(std::string_view) {
    struct RunToEnd : IProgress {
        bool Continue(long, long) override { return true; }
    };
    return std::make_unique<RunToEnd>();
}

}  // namespace tabrella::platform
