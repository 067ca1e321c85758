// Every operation, named once, in menu order. Each line names the function that returns its
// declaration (volume -> volumeOperation()), defined in the operation's own file. The list is
// written out because the core is a static library: self-registering objects would be dropped
// by the linker.
//
// Included with SONARIUM_OPERATION(name) defined by the includer; no include guard on purpose.

// Level effects
SONARIUM_OPERATION(volume)
SONARIUM_OPERATION(saturate)
SONARIUM_OPERATION(normalize)
SONARIUM_OPERATION(silentZone)

// Smoothing, subtraction, pitch and stepping effects
SONARIUM_OPERATION(smooth)
SONARIUM_OPERATION(substract)
SONARIUM_OPERATION(zetaPitch)
SONARIUM_OPERATION(resyncGapper)
SONARIUM_OPERATION(stepper)

// Selection edits
SONARIUM_OPERATION(crop)

// Syntheses
SONARIUM_OPERATION(affineSynthesis)
SONARIUM_OPERATION(gaussianSynthesis)
SONARIUM_OPERATION(shadokSynthesis)
SONARIUM_OPERATION(simpleSynthesis)
