# Debian packages the build needs, sourced by the other scripts.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev)
# The dialogs' font is a Song (Ming) face; this one renders the CJK texts and
# the full-width punctuation of the messages.
RUN_PACKAGES=(fonts-arphic-uming)
