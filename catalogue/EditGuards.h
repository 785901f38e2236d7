#pragma once
// Scope guards for a series of queue edits: a pending edit is cancelled when
// an operation leaves by an exception, and a view's controls stay quiet
// until the operation is over (one notification at the end).
#include "platform/db/DataSet.h"

class PendingEdit
{
public:
    explicit PendingEdit(DataSet& set) : m_set(set) {}
    ~PendingEdit()
    {
        if (m_set.GetState() == DataSet::State::Edit || m_set.GetState() == DataSet::State::Insert)
            m_set.Cancel();
    }
    PendingEdit(const PendingEdit&) = delete;
    PendingEdit& operator=(const PendingEdit&) = delete;

private:
    DataSet& m_set;
};

class QuietView
{
public:
    explicit QuietView(DataSet& set) : m_set(set) { m_set.DisableControls(); }
    ~QuietView() { m_set.EnableControls(); }
    QuietView(const QuietView&) = delete;
    QuietView& operator=(const QuietView&) = delete;

private:
    DataSet& m_set;
};
