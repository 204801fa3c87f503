#pragma once
// Tasks of the task scheduler (TaskScheduler.h).

#include <string>

// A task the scheduler runs. The scheduler does not own it: when it is done
// with the task (its repeats are used up, or the scheduler stops) it calls
// Release, and the task decides whether to delete itself.
class CScheduledTask
{
public:
    virtual ~CScheduledTask() = default;

    // Runs the task once on the scheduler thread. `remainingRepeats` is the
    // entry's repeat count before this run is counted (-1 for an endless
    // entry). The result is not used by the scheduler.
    virtual int Run(int remainingRepeats) = 0;

    // The scheduler is done with the task.
    virtual void Release() = 0;

    // The task's type name, for diagnostics.
    virtual void GetName(std::string& name) const = 0;
};

// The function a CCVoidFuncTask calls, with its user data.
using VoidTaskFunc = int (*)(void* userData);

// Adapts a plain function with one user-data argument. With auto-delete set
// the task must come from new: Release deletes it.
class CCVoidFuncTask : public CScheduledTask
{
public:
    CCVoidFuncTask(VoidTaskFunc func, void* userData, int autoDelete);

    // Calls the function with the user data and returns its result; 0 when
    // no function is set. The remaining repeats are not used.
    int Run(int remainingRepeats) override;

    // Deletes the task when auto-delete is set, else nothing.
    void Release() override;

    // "CCVoidFuncTask".
    void GetName(std::string& name) const override;

private:
    VoidTaskFunc m_func;
    void* m_userData;
    int m_autoDelete;
};
