#ifndef MEMBERSIGNATURE_H
#define MEMBERSIGNATURE_H

#include <QByteArray>

// A member of an automation object as the caller names it: "Open(const
// QString&)" is the method Open with one parameter, "Workbooks" the property
// Workbooks. Parsing is cheap, but call sites that run per cell keep a static
// const instance so that it happens once per call site.
class MemberSignature
{
public:
    MemberSignature() = default;
    MemberSignature(const char *signature); // NOLINT: implicit on purpose
    explicit MemberSignature(const QByteArray &signature);

    // The text as given, with blanks trimmed.
    const QByteArray &text() const { return m_text; }
    // The member's name: the text up to the opening parenthesis.
    const QByteArray &name() const { return m_name; }
    // Written with parentheses: a method; without: a property.
    bool isMethod() const { return m_method; }
    // Number of declared parameters (0 for a property).
    int parameterCount() const { return m_parameterCount; }
    // A name made of letters, digits and underscores with well-formed
    // parentheses; anything else is answered as an unknown member.
    bool isValid() const { return m_valid; }

private:
    void parse();

    QByteArray m_text;
    QByteArray m_name;
    int m_parameterCount = 0;
    bool m_method = false;
    bool m_valid = false;
};

#endif // MEMBERSIGNATURE_H
