#pragma once
// CLinkViewFilter: which links a task window shows and a report selects. Each
// of three groups of link types has a mode (filter by the masks, always
// shown, never shown); the masks select by state, link type, display
// protocol, scope and tag type, with the bit whose number is the value.

#include <cstdint>

class CLinkInfo;

class CLinkViewFilter
{
public:
    enum Mode : int32_t
    {
        kByMasks = 0,
        kAlwaysShown = 1,
        kNeverShown = 2,
    };

    // Init's values.
    CLinkViewFilter() { Init(); }

    // Modes by masks, every mask all bits, contains-broken on, hide-repeats off.
    void Init();

    // In order: a repetition fails under hide-repeats; the mode of the link's
    // type group decides unless it is kByMasks; the state must be in the
    // state mask, unless contains-broken is on and the link has broken
    // children; then the link type, tag type, scope and display protocol
    // must be in their masks.
    bool Match(const CLinkInfo& record) const;

    bool operator==(const CLinkViewFilter& other) const = default;

    int32_t m_pageMode = kByMasks; // container link types (HTML pages, lists, folders)
    int32_t m_fileMode = kByMasks; // every other type but 0
    int32_t m_type0Mode = kByMasks; // link type 0 (UNKNOWN)
    int32_t m_stateMask = -1;
    int32_t m_typeMask = -1;
    int32_t m_protocolMask = -1;
    int32_t m_scopeMask = -1;
    int32_t m_tagMask = -1;
    int32_t m_containsBroken = 1;
    int32_t m_hideRepeats = 0;
};
