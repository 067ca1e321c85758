// Every operation, named once, in menu order. Each line names the function that returns its
// declaration (volume -> volumeOperation()), defined in the operation's own file. The list is
// written out because the core is a static library: self-registering objects would be dropped
// by the linker.
//
// Included with SONARIUM_OPERATION(name) defined by the includer; no include guard on purpose.
// Only operation.cpp includes it (allOperations() enumerates the list for everyone else), so a
// new line recompiles that file and the new operation's own; a file that names one operation
// declares it with SONARIUM_DECLARE_OPERATION(name).

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

// Waveshaping effects
SONARIUM_OPERATION(sinusCompression)
SONARIUM_OPERATION(bast)
SONARIUM_OPERATION(brownOut)
SONARIUM_OPERATION(shadokEffect)
SONARIUM_OPERATION(frequentialProjection)
SONARIUM_OPERATION(simpleFormula)

// Interactions
SONARIUM_OPERATION(interactionFormula)
SONARIUM_OPERATION(maximizeMinimize)
SONARIUM_OPERATION(multiply)
SONARIUM_OPERATION(interactionCompression)
SONARIUM_OPERATION(interlace)

// Selection edits
SONARIUM_OPERATION(select)
SONARIUM_OPERATION(extract)
SONARIUM_OPERATION(crop)
SONARIUM_OPERATION(remove)
SONARIUM_OPERATION(removeSelection)
SONARIUM_OPERATION(mute)
SONARIUM_OPERATION(muteSelection)
SONARIUM_OPERATION(reverse)
SONARIUM_OPERATION(invert)
SONARIUM_OPERATION(fadeIn)
SONARIUM_OPERATION(fadeOut)
SONARIUM_OPERATION(fade)
SONARIUM_OPERATION(selectionPosition)

// Insertions and merge
SONARIUM_OPERATION(insertSilence)
SONARIUM_OPERATION(insertClipboard)
SONARIUM_OPERATION(insertAuxiliary)
SONARIUM_OPERATION(merge)

// Channel, conversion and analysis tools
SONARIUM_OPERATION(groupToStereo)
SONARIUM_OPERATION(mix)
SONARIUM_OPERATION(monoToStereo)
SONARIUM_OPERATION(splitStereo)
SONARIUM_OPERATION(stereoToMono)
SONARIUM_OPERATION(channelConversion)
SONARIUM_OPERATION(samplingRateConversion)
SONARIUM_OPERATION(fileInformation)
SONARIUM_OPERATION(fileStatistics)

// Syntheses
SONARIUM_OPERATION(affineSynthesis)
SONARIUM_OPERATION(gaussianSynthesis)
SONARIUM_OPERATION(shadokSynthesis)
SONARIUM_OPERATION(simpleSynthesis)
