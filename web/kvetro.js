'use strict';
// The page around the conversion core (kvetro-core.js, the same code as
// kvetro-cli compiled to WebAssembly): it reads the chosen file and the
// settings, shows what the core answers, offers the WAV for download and
// plays it through Web Audio; and reads a recording back into MZF files
// with the same reader as kvetro-cli read.
(function () {
  const byId = (id) => document.getElementById(id);

  // The core's name of each number setting, and the id of its input.
  const numberInputs = {
    zeroLo: 'zero-lo',
    zeroHi: 'zero-hi',
    oneLo: 'one-lo',
    oneHi: 'one-hi',
    constant: 'constant',
    loaderGap: 'loader-gap',
    bodyGap: 'body-gap',
  };
  const fileInput = byId('mzf-file');
  const dropArea = document.querySelector('.file-choice');
  const invertInput = byId('invert');
  // The tape layout, by the core's names of layouts, and the WAV's rate.
  const layoutInput = byId('layout');
  const rateInput = byId('rate');
  // The fast loader's own settings: the machine's own layout has no loader,
  // and its gaps are the machine's own.
  const fastLoaderInputs = ['constant', 'loader-gap', 'body-gap'];
  const timingNames = ['zeroLo', 'zeroHi', 'oneLo', 'oneHi'];
  const info = byId('info');
  const message = byId('message');
  const convertButton = byId('convert');
  const download = byId('download');
  const playButton = byId('play');
  const stopButton = byId('stop');
  const position = byId('position');
  const time = byId('time');
  // The read panel.
  const wavInput = byId('wav-file');
  const readArea = byId('read-area');
  const readDropArea = readArea.querySelector('.file-choice');
  const report = byId('report');
  const readMessage = byId('read-message');
  const readFiles = byId('read-files');

  let core = null;
  let defaults = null; // the core's starting settings
  let shownLayout = null; // the layout the inputs were last set up for
  let chosen = null; // { name, bytes } of the chosen file
  let refused = true; // no file, or the core refuses it with these settings
  let choosing = 0; // counts file choices, so that only the latest is shown
  let downloadUrl = null;
  let audio = null; // one AudioContext at a time, at the rate of the last WAV played
  let player = null; // { source, start, total, timer } while playing
  let reading = 0; // counts recordings chosen, so that only the latest is shown
  let readUrls = []; // the downloads of the files read

  // As the window's boxes read: text that is no number counts as the least
  // value; a value outside the range is written back as its nearer end.
  function readNumber(input) {
    const min = Number(input.min);
    const max = Number(input.max);
    const value = Number.parseInt(input.value, 10);
    return Number.isNaN(value) ? min : Math.min(Math.max(value, min), max);
  }

  function settings() {
    const result = {
      invert: invertInput.checked,
      layout: layoutInput.value,
      rate: Number.parseInt(rateInput.value, 10),
    };
    for (const [name, id] of Object.entries(numberInputs)) {
      result[name] = readNumber(byId(id));
    }
    return result;
  }

  function showMessage(text, kind) {
    message.textContent = text.trimEnd();
    message.className = text ? kind : '';
  }

  function withdrawDownload() {
    if (downloadUrl) {
      URL.revokeObjectURL(downloadUrl);
      downloadUrl = null;
    }
    download.hidden = true;
    download.removeAttribute('href');
    download.removeAttribute('download');
  }

  // game.mzf gives game.wav.
  function waveName(fileName) {
    return fileName.replace(/\.[^.]*$/, '') + '.wav';
  }

  // Convert and Play wait for a file that the core takes.
  function offerConversion() {
    convertButton.disabled = refused;
    playButton.disabled = refused;
  }

  // What the chosen file holds and how long it plays, or why it is refused.
  function describe() {
    withdrawDownload();
    if (!chosen) {
      info.textContent = '';
      showMessage('', '');
      refused = true;
      showPosition(0, 0);
    } else {
      const description = core.describe(chosen.bytes, settings(), chosen.name);
      info.textContent = description.text;
      refused = description.refusal !== null;
      if (refused) {
        showMessage(description.refusal, 'refusal');
      } else {
        showMessage(description.warning || '', 'warning');
      }
      showPosition(0, description.seconds);
    }
    offerConversion();
  }

  // Answers the core's result; a written WAV is offered for download.
  function convert() {
    withdrawDownload();
    let result;
    try {
      result = core.convert(chosen.bytes, settings(), chosen.name);
    } catch (error) {
      // The browser itself gave out, most likely its memory for a long sound.
      showMessage(`The browser could not make the WAV: ${error}`, 'refusal');
      return { wave: null };
    }
    if (result.wave) {
      downloadUrl = URL.createObjectURL(new Blob([result.wave], { type: 'audio/wav' }));
      download.href = downloadUrl;
      download.download = waveName(chosen.name);
      download.hidden = false;
      showPosition(0, (result.wave.length - result.samplesOffset) / result.sampleRate);
      showMessage(result.messages, 'warning');
    } else {
      showMessage(result.messages, 'refusal');
    }
    return result;
  }

  async function chooseFile(file) {
    const choice = ++choosing;
    // One byte more than the core converts is enough for it to refuse a
    // longer file, without reading all of it.
    let bytes;
    try {
      bytes = new Uint8Array(await file.slice(0, core.largestInput + 1).arrayBuffer());
    } catch (error) {
      if (choice === choosing) {
        chosen = null;
        describe();
        showMessage(`Cannot read ${file.name}: ${error.message}`, 'refusal');
      }
      return;
    }
    if (choice !== choosing) {
      return;
    }
    chosen = { name: file.name, bytes };
    describe();
  }

  function showReadMessage(text, kind) {
    readMessage.textContent = text.trimEnd();
    readMessage.className = text ? kind : '';
  }

  function withdrawReadFiles() {
    for (const url of readUrls) {
      URL.revokeObjectURL(url);
    }
    readUrls = [];
    readFiles.replaceChildren();
  }

  // One button for each file read whole; a file that failed is only in the
  // report.
  function offerReadFiles(files) {
    for (const file of files) {
      const link = document.createElement('a');
      link.className = 'button';
      link.href = URL.createObjectURL(new Blob([file.mzf], { type: 'application/octet-stream' }));
      link.download = file.name;
      link.textContent = `Download ${file.name}`;
      readUrls.push(link.href);
      readFiles.append(link);
    }
  }

  // The whole recording goes to the core at once: the reader itself streams,
  // but the page holds the file it was given.
  async function readRecording(file) {
    const choice = ++reading;
    withdrawReadFiles();
    report.textContent = '';
    showReadMessage(`Reading ${file.name}\u2026`, 'warning');
    let result;
    try {
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (choice !== reading) {
        return;
      }
      result = core.read(bytes, file.name);
    } catch (error) {
      if (choice === reading) {
        showReadMessage(`Cannot read ${file.name}: ${error.message || error}`, 'refusal');
      }
      return;
    }
    report.textContent = result.text;
    if (result.refusal !== null) {
      showReadMessage(result.refusal, 'refusal');
      return;
    }
    showReadMessage('', '');
    offerReadFiles(result.files);
  }

  function clock(seconds) {
    const whole = Math.floor(seconds);
    const twoDigits = (n) => String(n).padStart(2, '0');
    const [h, m, s] = [Math.floor(whole / 3600), Math.floor(whole / 60) % 60, whole % 60];
    return h > 0 ? `${h}:${twoDigits(m)}:${twoDigits(s)}` : `${m}:${twoDigits(s)}`;
  }

  function showPosition(elapsed, total) {
    position.max = total || 1;
    position.value = elapsed;
    time.textContent = `${clock(elapsed)} / ${clock(total)}`;
  }

  function appliesToLayout(id) {
    return layoutInput.value === 'fast' || !fastLoaderInputs.includes(id);
  }

  // The timing a layout starts at: the fast body's, or the standard timing
  // of the machine's own layout.
  function startingTiming(layout) {
    return layout === 'fast' ? defaults : defaults.standardTiming;
  }

  // A timing left as the previous layout started it becomes the new
  // layout's; one the user typed stays.
  function chooseLayout() {
    const previous = startingTiming(shownLayout);
    const next = startingTiming(layoutInput.value);
    if (timingNames.every((name) => readNumber(byId(numberInputs[name])) === previous[name])) {
      for (const name of timingNames) {
        byId(numberInputs[name]).value = next[name];
      }
    }
    shownLayout = layoutInput.value;
    for (const id of fastLoaderInputs) {
      byId(id).disabled = !appliesToLayout(id);
    }
    describe();
  }

  function setLocked(locked) {
    for (const id of Object.values(numberInputs)) {
      byId(id).disabled = locked || !appliesToLayout(id);
    }
    layoutInput.disabled = locked;
    rateInput.disabled = locked;
    invertInput.disabled = locked;
    fileInput.disabled = locked;
    convertButton.disabled = locked || refused;
    playButton.disabled = locked || refused;
    stopButton.disabled = !locked;
  }

  function finishPlaying(ended) {
    if (!player || player !== ended) {
      return;
    }
    clearInterval(player.timer);
    showPosition(0, player.total);
    player = null;
    setLocked(false);
  }

  // The samples of the WAV as they are, at the WAV's own rate (a context at
  // another rate would resample them): unsigned bytes around 128 become
  // floating point samples around 0.
  function play() {
    const result = convert();
    if (!result.wave) {
      return;
    }
    try {
      if (!audio || audio.sampleRate !== result.sampleRate) {
        if (audio) {
          audio.close();
        }
        audio = new AudioContext({ sampleRate: result.sampleRate });
      }
      const samples = result.wave.subarray(result.samplesOffset);
      const buffer = audio.createBuffer(1, samples.length, result.sampleRate);
      const channel = buffer.getChannelData(0);
      for (let i = 0; i < samples.length; i++) {
        channel[i] = (samples[i] - 128) / 128;
      }
      const source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      const started = { source, start: audio.currentTime, total: buffer.duration, timer: 0 };
      source.onended = () => finishPlaying(started);
      source.start(started.start);
      audio.resume();
      player = started;
    } catch (error) {
      showMessage(`This browser cannot play the sound (${error.message}); use Download WAV`,
                  'refusal');
      return;
    }
    setLocked(true);
    showPosition(0, player.total);
    player.timer = setInterval(() => {
      const elapsed = Math.min(Math.max(audio.currentTime - player.start, 0), player.total);
      showPosition(elapsed, player.total);
    }, 100);
  }

  function stop() {
    if (player) {
      const stopped = player;
      stopped.source.stop();
      finishPlaying(stopped);
    }
  }

  function start(loaded) {
    core = loaded;
    defaults = core.defaults();
    const ranges = core.ranges();
    for (const [name, id] of Object.entries(numberInputs)) {
      const input = byId(id);
      input.min = ranges[name].min;
      input.max = ranges[name].max;
      input.value = defaults[name];
      input.addEventListener('change', () => {
        input.value = readNumber(input);
        describe();
      });
    }
    // The ranges the page's texts name, as "1 to 128".
    for (const text of document.querySelectorAll('[data-range-of]')) {
      const range = ranges[text.dataset.rangeOf];
      text.textContent = `${range.min}\u00a0to\u00a0${range.max}`;
    }
    invertInput.checked = defaults.invert;
    invertInput.addEventListener('change', describe);
    layoutInput.value = defaults.layout;
    shownLayout = defaults.layout;
    layoutInput.addEventListener('change', chooseLayout);
    rateInput.value = defaults.rate;
    rateInput.addEventListener('change', describe);
    fileInput.addEventListener('change', () => {
      if (fileInput.files.length > 0) {
        chooseFile(fileInput.files[0]);
      }
    });
    wavInput.addEventListener('change', () => {
      if (wavInput.files.length > 0) {
        readRecording(wavInput.files[0]);
      }
    });
    wavInput.disabled = false;
    convertButton.addEventListener('click', convert);
    playButton.addEventListener('click', play);
    stopButton.addEventListener('click', stop);

    // A file dropped on the read panel is a recording to read; one dropped
    // anywhere else is taken as the chosen MZF, unless the settings are
    // locked.
    const areaOf = (event) => (readArea.contains(event.target) ? readDropArea : dropArea);
    const leaveAll = () => {
      dropArea.classList.remove('dropping');
      readDropArea.classList.remove('dropping');
    };
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      leaveAll();
      areaOf(event).classList.add('dropping');
    });
    document.addEventListener('dragleave', leaveAll);
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      leaveAll();
      const files = event.dataTransfer.files;
      if (files.length === 0) {
        return;
      }
      if (areaOf(event) === readDropArea) {
        readRecording(files[0]);
      } else if (!player) {
        chooseFile(files[0]);
      }
    });
    setLocked(false);
  }

  KvetroCore().then(start, (error) => {
    showMessage(`This browser cannot run the converter: ${error}`, 'refusal');
  });
})();
