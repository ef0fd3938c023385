#pragma once

#include <climits>

namespace BufferApi
{
//! The state of one vector of a vector frame as the vector access classes see
//! it. The fourth choice slot also keeps two further states; their stored
//! active choice is the enumerator minus one.
enum E_VectorActive : int
{
  VA_Disabled = 0,
  VA_Choice1 = 1,
  VA_Choice2 = 2,
  VA_Choice3 = 3,
  VA_Choice4 = 4,
  VA_Choice4Alt1 = 5,
  VA_Choice4Alt2 = 6
};

//! The state answered for a stored active choice (choice + 1); a corrupt
//! stored INT_MAX saturates instead of overflowing.
inline E_VectorActive VectorActiveFromChoice(int choice)
{
  return static_cast<E_VectorActive>(choice < INT_MAX ? choice + 1 : INT_MAX);
}

} // namespace BufferApi
