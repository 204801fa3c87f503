#include "foundation/threads/ScheduledTask.h"

CCVoidFuncTask::CCVoidFuncTask(VoidTaskFunc func, void* userData, int autoDelete)
    : m_func(func), m_userData(userData), m_autoDelete(autoDelete)
{
}

int CCVoidFuncTask::Run(int remainingRepeats)
{
    return m_func ? m_func(m_userData) : 0;
}

void CCVoidFuncTask::Release()
{
    if (m_autoDelete)
        delete this;
}

void CCVoidFuncTask::GetName(std::string& name) const
{
    name = "CCVoidFuncTask";
}
