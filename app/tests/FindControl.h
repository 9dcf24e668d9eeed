// Tests reach a window's controls by their object names, as the operator's
// documentation names them. A missing control fails the test.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace qx::test {

template <class T>
T* Find(const QObject& owner, const char* name) {
    T* found = owner.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

}  // namespace qx::test
