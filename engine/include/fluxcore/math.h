// Vector and Matrix: the engine's small float value types.
//
// Conventions: vectors are row vectors and are transformed as v' = v * M, that
// is v'[j] = sum over i of v[i] * m[i][j]. Angles are radians.
#pragma once

#include "fluxcore/api.h"

namespace QUASAR_FLUXCORE {

class Matrix;

class FLUXCORE_API Vector {
public:
    float x, y, z;
    unsigned int word;  // engine word: always 0; keeps a Vector 16 bytes wide

    Vector();                          // (0, 0, 0)
    Vector(float x, float y, float z);  // the three components
    Vector(Vector& other);             // copy (the engine's own form)
    Vector(const Vector& other);       // copy of a const vector
    ~Vector();

    void operator=(const Vector& other);            // copies x, y, z
    Vector operator+(const Vector& other) const;    // component-wise sum
    Vector operator-(const Vector& other) const;    // this minus other
    Vector operator*(const float& factor) const;    // every component scaled
    Vector operator*(const Matrix& matrix) const;   // this * matrix (row vector)
    Vector operator*=(const float& factor);         // scales in place; returns the new value
    float length() const;                           // Euclidean length
};

class FLUXCORE_API Matrix {
public:
    float m[3][3];  // m[row][column]; the diagonal is m[0][0], m[1][1], m[2][2]

    Matrix();  // all nine elements 0

    Matrix makeIdentity();  // sets this to the identity; returns a copy
    // Sets this to the rotation about x by ax, then about y by ay, then about z
    // by az (radians; for a row vector v * M = v * Rx * Ry * Rz); returns a copy.
    Matrix makeRotation(float ax, float ay, float az);
    Matrix operator*(const Matrix& other) const;  // this * other
};

}  // namespace QUASAR_FLUXCORE
