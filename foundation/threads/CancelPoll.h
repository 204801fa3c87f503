#pragma once
// The cancel object that long tree operations poll (the markup tree's walk,
// the markup parser): Poll gives 0 to go on and any other value to stop; an
// operation that stops on it returns that value where it has a result code.
// A null cancel object never stops anything.

class ICancelPoll
{
public:
    virtual ~ICancelPoll() = default;

    virtual int Poll() = 0;
};
