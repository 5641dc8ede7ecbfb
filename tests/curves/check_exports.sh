#!/bin/sh
# Checks that a program exports Path with all its operations and the copy
# operations of the engine's curve classes and Font as defined dynamic symbols.
#   check_exports.sh <program>
set -u
program="$1"
if [ ! -f "$program" ]; then
  echo "check_exports: $program: no such file" >&2
  exit 1
fi
symbols=$(nm -DC --defined-only "$program" | sed -n 's/^[0-9a-fA-F]* [TWtw] //p') || {
  echo "check_exports: $program: nm failed" >&2
  exit 1
}
missing=0
while IFS= read -r wanted; do
  [ -n "$wanted" ] || continue
  if ! printf '%s\n' "$symbols" | grep -Fxq -- "$wanted"; then
    echo "check_exports: $program does not export: $wanted" >&2
    missing=$((missing + 1))
  fi
done <<'LIST'
QUASAR_FLUXCORE::Path::Path()
QUASAR_FLUXCORE::Path::~Path()
QUASAR_FLUXCORE::Path::Path(QUASAR_FLUXCORE::Path const&)
QUASAR_FLUXCORE::Path::operator=(QUASAR_FLUXCORE::Path const&)
QUASAR_FLUXCORE::Path::addpoint(QUASAR_FLUXCORE::Vector&)
QUASAR_FLUXCORE::Path::draw()
QUASAR_FLUXCORE::Path::getValue(float)
QUASAR_FLUXCORE::Path::getDerivative(float)
QUASAR_FLUXCORE::QuadraticBezierCurve::QuadraticBezierCurve(QUASAR_FLUXCORE::QuadraticBezierCurve&)
QUASAR_FLUXCORE::QuadraticBezierCurve::operator=(QUASAR_FLUXCORE::QuadraticBezierCurve const&)
QUASAR_FLUXCORE::CubicBezierCurve::CubicBezierCurve(QUASAR_FLUXCORE::CubicBezierCurve&)
QUASAR_FLUXCORE::CubicBezierCurve::operator=(QUASAR_FLUXCORE::CubicBezierCurve const&)
QUASAR_FLUXCORE::HermiteCurve::HermiteCurve(QUASAR_FLUXCORE::HermiteCurve&)
QUASAR_FLUXCORE::HermiteCurve::operator=(QUASAR_FLUXCORE::HermiteCurve const&)
QUASAR_FLUXCORE::Font::operator=(QUASAR_FLUXCORE::Font const&)
LIST
if [ "$missing" -ne 0 ]; then
  exit 1
fi
echo "check_exports: $program exports Path and the copy operations"
