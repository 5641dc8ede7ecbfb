// Vector and Matrix operations. Intermediate values are computed in double
// precision and rounded to float where they are stored.
#include <cmath>

#include "fluxcore/math.h"

namespace QUASAR_FLUXCORE {

Vector::Vector() : x(0.0f), y(0.0f), z(0.0f), word(0) {}
Vector::Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_), word(0) {}
Vector::Vector(Vector& other) : x(other.x), y(other.y), z(other.z), word(0) {}
Vector::Vector(const Vector& other) : x(other.x), y(other.y), z(other.z), word(0) {}
Vector::~Vector() = default;

void Vector::operator=(const Vector& other) {
    x = other.x;
    y = other.y;
    z = other.z;
}

Vector Vector::operator+(const Vector& other) const {
    return Vector(static_cast<float>(double(x) + other.x), static_cast<float>(double(y) + other.y),
                  static_cast<float>(double(z) + other.z));
}

Vector Vector::operator-(const Vector& other) const {
    return Vector(static_cast<float>(double(x) - other.x), static_cast<float>(double(y) - other.y),
                  static_cast<float>(double(z) - other.z));
}

Vector Vector::operator*(const float& factor) const {
    return Vector(static_cast<float>(double(x) * factor), static_cast<float>(double(y) * factor),
                  static_cast<float>(double(z) * factor));
}

Vector Vector::operator*(const Matrix& matrix) const {
    const double v[3] = {x, y, z};
    double out[3];
    for (int j = 0; j < 3; ++j) {
        out[j] = v[0] * matrix.m[0][j] + v[1] * matrix.m[1][j] + v[2] * matrix.m[2][j];
    }
    return Vector(static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2]));
}

Vector Vector::operator*=(const float& factor) {
    x = static_cast<float>(double(x) * factor);
    y = static_cast<float>(double(y) * factor);
    z = static_cast<float>(double(z) * factor);
    return *this;
}

float Vector::length() const {
    return static_cast<float>(std::sqrt(double(x) * x + double(y) * y + double(z) * z));
}

Matrix::Matrix() {
    for (auto& row : m) {
        for (float& element : row) element = 0.0f;
    }
}

Matrix Matrix::makeIdentity() {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m[i][j] = (i == j) ? 1.0f : 0.0f;
    }
    return *this;
}

Matrix Matrix::makeRotation(float ax, float ay, float az) {
    // Row-vector rotations (v * R), each right-handed: positive angles turn y
    // towards z (about x), z towards x (about y) and x towards y (about z).
    const double cx = std::cos(double(ax)), sx = std::sin(double(ax));
    const double cy = std::cos(double(ay)), sy = std::sin(double(ay));
    const double cz = std::cos(double(az)), sz = std::sin(double(az));
    const double rx[3][3] = {{1, 0, 0}, {0, cx, sx}, {0, -sx, cx}};
    const double ry[3][3] = {{cy, 0, -sy}, {0, 1, 0}, {sy, 0, cy}};
    const double rz[3][3] = {{cz, sz, 0}, {-sz, cz, 0}, {0, 0, 1}};
    double rxy[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            rxy[i][j] = rx[i][0] * ry[0][j] + rx[i][1] * ry[1][j] + rx[i][2] * ry[2][j];
        }
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[i][j] = static_cast<float>(rxy[i][0] * rz[0][j] + rxy[i][1] * rz[1][j] + rxy[i][2] * rz[2][j]);
        }
    }
    return *this;
}

Matrix Matrix::operator*(const Matrix& other) const {
    Matrix product;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            product.m[i][j] = static_cast<float>(double(m[i][0]) * other.m[0][j] + double(m[i][1]) * other.m[1][j] +
                                                 double(m[i][2]) * other.m[2][j]);
        }
    }
    return product;
}

}  // namespace QUASAR_FLUXCORE
