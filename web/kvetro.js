'use strict';
// The page around the conversion core (kvetro-core.js, the same code as
// kvetro-cli compiled to WebAssembly): it reads the chosen files and the
// settings, shows what the core answers, offers the WAV for download and
// plays it through Web Audio; and reads a recording back into MZF files
// with the same reader as kvetro-cli read, from a WAV or live from the
// device's audio input, with a picture of each block.
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
  const tapeFiles = byId('tape-files');
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
  const downloadMzt = byId('download-mzt');
  const pictures = byId('pictures');
  const recordButton = byId('record');
  const recordStopButton = byId('record-stop');
  const liveView = byId('live');
  const level = byId('level');
  const levelText = byId('level-text');
  const levelHint = byId('level-hint');
  const elapsed = byId('elapsed');

  let core = null;
  let defaults = null; // the core's starting settings
  let shownLayout = null; // the layout the inputs were last set up for
  let chosen = null; // [{ name, bytes }] of the chosen files, in the order of the tape
  let refused = true; // no file, or the core refuses it with these settings
  let choosing = 0; // counts file choices, so that only the latest is shown
  let downloadUrl = null;
  let audio = null; // one AudioContext at a time, at the rate of the last WAV played
  let player = null; // { source, start, total, timer } while playing
  let reading = 0; // counts recordings chosen, so that only the latest is shown
  let readUrls = []; // the downloads of the files read, and of their MZT
  let recorder = null; // the recording from the audio input, while it runs

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

  // A tape of several files lists each with its playing time (none when
  // the conversion is refused); one file is listed by the header view alone.
  function listTapeFiles(files) {
    tapeFiles.replaceChildren();
    tapeFiles.hidden = files.length < 2;
    if (tapeFiles.hidden) {
      return;
    }
    for (const file of files) {
      const item = document.createElement('li');
      item.textContent = file.seconds > 0 ? `${file.label}: ${clock(file.seconds)}` : file.label;
      tapeFiles.append(item);
    }
  }

  // What the chosen files hold and how long they play, or why they are refused.
  function describe() {
    withdrawDownload();
    if (!chosen) {
      listTapeFiles([]);
      info.textContent = '';
      showMessage('', '');
      refused = true;
      showPosition(0, 0);
    } else {
      const description = core.describe(chosen, settings());
      listTapeFiles(description.files);
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
      result = core.convert(chosen, settings());
    } catch (error) {
      // The browser itself gave out, most likely its memory for a long sound.
      showMessage(`The browser could not make the WAV: ${error}`, 'refusal');
      return { wave: null };
    }
    if (result.wave) {
      downloadUrl = URL.createObjectURL(new Blob([result.wave], { type: 'audio/wav' }));
      download.href = downloadUrl;
      download.download = waveName(chosen[0].name);
      download.hidden = false;
      showPosition(0, (result.wave.length - result.samplesOffset) / result.sampleRate);
      showMessage(result.messages, 'warning');
    } else {
      showMessage(result.messages, 'refusal');
    }
    return result;
  }

  // The files go on the tape in the order given: the browser's order of a
  // choice or a drop.
  async function chooseFiles(files) {
    const choice = ++choosing;
    // One byte more than the core reads of a file is enough for it to refuse
    // a longer one, without reading all of it.
    const read = [];
    for (const file of files) {
      try {
        const bytes = new Uint8Array(await file.slice(0, core.largestInput + 1).arrayBuffer());
        read.push({ name: file.name, bytes });
      } catch (error) {
        if (choice === choosing) {
          chosen = null;
          describe();
          showMessage(`Cannot read ${file.name}: ${error.message}`, 'refusal');
        }
        return;
      }
    }
    if (choice !== choosing) {
      return;
    }
    chosen = read;
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
    downloadMzt.hidden = true;
    downloadMzt.removeAttribute('href');
    pictures.replaceChildren();
    report.textContent = '';
  }

  // One button for each file: NAME.mzf for one read whole, NAME.bad.mzf
  // (what kvetro-cli read --keep-bad writes) for one that was not.
  function offerReadFile(file) {
    const link = document.createElement('a');
    link.className = file.whole ? 'button' : 'button bad';
    link.href = URL.createObjectURL(new Blob([file.mzf], { type: 'application/octet-stream' }));
    link.download = file.name;
    link.textContent = `Download ${file.name}${file.whole ? '' : ' (not read whole)'}`;
    readUrls.push(link.href);
    readFiles.append(link);
  }

  // The files read whole, back to back as one MZT, named after the
  // recording: what kvetro-cli read --mzt writes. The files not read whole
  // are left out, and the button says how many.
  function offerMzt(mzt, recordingName) {
    if (!mzt) {
      return;
    }
    downloadMzt.href = URL.createObjectURL(new Blob([mzt.bytes],
                                                    { type: 'application/octet-stream' }));
    readUrls.push(downloadMzt.href);
    downloadMzt.download = recordingName.replace(/\.[^.]*$/, '') + '.mzt';
    downloadMzt.textContent = 'Download all as MZT' +
      (mzt.leftOut > 0
        ? ` (${mzt.leftOut} ${mzt.leftOut === 1 ? 'file' : 'files'} not read whole left out)`
        : '');
    downloadMzt.hidden = false;
  }

  // The pictures are drawn as SVG, in CSS pixels of a 640 wide view that
  // scales with the panel.
  const svgNs = 'http://www.w3.org/2000/svg';
  const pictureWidth = 640;

  function svgElement(name, attributes, parent) {
    const element = document.createElementNS(svgNs, name);
    for (const [key, value] of Object.entries(attributes)) {
      element.setAttribute(key, value);
    }
    if (parent) {
      parent.append(element);
    }
    return element;
  }

  function svgText(text, attributes, parent) {
    svgElement('text', attributes, parent).textContent = text;
  }

  const us = (value) => `${value.toFixed(1)}\u00a0\u00b5s`;

  // The first and last bins that count any pulse, or null.
  function usedBins(counts) {
    let first = -1;
    let last = -1;
    for (let i = 0; i < counts.length; i++) {
      if (counts[i] > 0) {
        first = first < 0 ? i : first;
        last = i;
      }
    }
    return first < 0 ? null : { first, last };
  }

  // How many of a block's pulses had each HIGH time, the short ones and the
  // long ones in their colours, over the read window in the colour of its
  // room. A block that failed has no window: the stretch between its
  // longest short pulse and its shortest long one is shown instead, red.
  function histogramPicture(block) {
    const height = 160;
    const top = 6;
    const bottom = 126;
    const svg = svgElement('svg', {
      viewBox: `0 0 ${pictureWidth} ${height}`, class: 'histogram', role: 'img',
      'aria-label': `HIGH times of the ${block.label}'s pulses`,
    });
    const shortBins = usedBins(block.short);
    const longBins = usedBins(block.long);
    if (!shortBins && !longBins) {
      svgText('no pulses',
              { x: pictureWidth / 2, y: height / 2, class: 'axis', 'text-anchor': 'middle' }, svg);
      return svg;
    }
    const bin = block.binUs;
    const bounds = block.window || {
      from: shortBins ? (shortBins.last + 1) * bin : 0,
      to: longBins ? longBins.first * bin : 0,
    };
    const edges = [bounds.from, bounds.to];
    for (const used of [shortBins, longBins]) {
      if (used) {
        edges.push(used.first * bin, (used.last + 1) * bin);
      }
    }
    const margin = (Math.max(...edges) - Math.min(...edges)) * 0.04 + bin;
    const fromUs = Math.max(0, Math.min(...edges) - margin);
    const toUs = Math.max(...edges) + margin;
    const x = (value) => ((value - fromUs) / (toUs - fromUs)) * pictureWidth;

    const low = Math.min(bounds.from, bounds.to);
    const high = Math.max(bounds.from, bounds.to);
    svgElement('rect', {
      class: 'window', x: x(low), y: top, width: Math.max(x(high) - x(low), 2),
      height: bottom - top,
    }, svg);

    // Bars at least 3 pixels wide; heights on a logarithmic scale, so that
    // a few stray pulses show beside thousands.
    const group = Math.max(1, Math.ceil((3 * (toUs - fromUs)) / bin / pictureWidth));
    const bars = [];
    let most = 1;
    for (const [kind, counts] of [['short', block.short], ['long', block.long]]) {
      for (let i = 0; i < counts.length; i += group) {
        let count = 0;
        for (let j = i; j < i + group && j < counts.length; j++) {
          count += counts[j];
        }
        if (count > 0) {
          bars.push({ kind, from: i * bin, to: (i + group) * bin, count });
          most = Math.max(most, count);
        }
      }
    }
    for (const bar of bars) {
      const barHeight = Math.max(1, ((bottom - top) * Math.log1p(bar.count)) / Math.log1p(most));
      svgElement('rect', {
        class: bar.kind, x: x(bar.from), y: bottom - barHeight,
        width: Math.max(x(bar.to) - x(bar.from), 1), height: barHeight,
      }, svg);
    }
    svgElement('line', { class: 'baseline', x1: 0, x2: pictureWidth, y1: bottom, y2: bottom }, svg);
    // Ticks at round times, four to ten of them.
    const steps = [10, 20, 50, 100, 200, 500, 1000, 2000];
    const step = steps.find((size) => (toUs - fromUs) / size <= 8) || 5000;
    const axis = (text, at, anchor) =>
      svgText(text, { x: at, y: height - 4, class: 'axis', 'text-anchor': anchor }, svg);
    for (let tick = Math.ceil(fromUs / step) * step; tick <= toUs; tick += step) {
      svgElement('line',
                 { class: 'baseline', x1: x(tick), x2: x(tick), y1: bottom, y2: bottom + 6 }, svg);
      axis(`${tick}`, x(tick), 'middle');
    }
    axis('\u00b5s', pictureWidth - 2, 'end');
    return svg;
  }

  // The recording around the first byte a block lost: the samples, as the
  // machine sees them (turned over when the falling edges started the
  // pulses), and above them each pulse's HIGH time as it was read: long,
  // short, or damage; a tick where the read point lay, and a dashed line at
  // the lost byte's start.
  function spotPicture(spot, inverted) {
    const height = 170;
    const barTop = 6;
    const barHeight = 16;
    const waveTop = 32;
    const waveBottom = height - 4;
    const svg = svgElement('svg', {
      viewBox: `0 0 ${pictureWidth} ${height}`, class: 'waveform', role: 'img',
      'aria-label': 'The recording where the block went wrong',
    });
    const count = Math.max(spot.sampleCount, 1);
    const x = (sample) => ((sample - spot.firstSample) / count) * pictureWidth;
    const middle = (waveTop + waveBottom) / 2;
    if (spot.samples.length > 0) {
      let peak = 1e-6;
      for (const sample of spot.samples) {
        peak = Math.max(peak, Math.abs(sample));
      }
      const scale = ((waveBottom - waveTop) / 2 / peak) * (inverted ? 1 : -1);
      const points = Array.from(spot.samples, (sample, i) =>
        `${x(spot.firstSample + i).toFixed(1)},${(middle + sample * scale).toFixed(1)}`);
      svgElement('polyline', { class: 'wave', points: points.join(' ') }, svg);
    } else {
      svgText('(the recording here was no longer held)',
              { x: pictureWidth / 2, y: middle, class: 'axis', 'text-anchor': 'middle' }, svg);
    }
    spot.pulses.forEach((pulse, i) => {
      const start = x(pulse.start * spot.rate);
      const end = x((pulse.start + pulse.high * 1e-6) * spot.rate);
      const kind = pulse.damage ? 'pulse-damage' : pulse.long ? 'pulse-long' : 'pulse-short';
      const bar = svgElement('rect', {
        class: kind, x: start, y: barTop, width: Math.max(end - start, 1), height: barHeight,
      }, svg);
      svgElement('title', {}, bar).textContent =
        `HIGH ${us(pulse.high)}: ${pulse.damage ? 'damage' : pulse.long ? 'long' : 'short'}`;
      const point = x((pulse.start + spot.readPointUs * 1e-6) * spot.rate);
      svgElement('line', {
        class: 'read-point', x1: point, x2: point, y1: barTop - 3, y2: barTop + barHeight + 3,
      }, svg);
      if (i === spot.bytePulse) {
        svgElement('line', { class: 'bad-byte', x1: start, x2: start, y1: 0, y2: height }, svg);
      }
    });
    return svg;
  }

  function windowText(block) {
    if (!block.window) {
      return 'failed: no read window';
    }
    const { from, to } = block.window;
    if (to <= from) {
      return `no read window (short pulses up to ${us(from)}, long from ${us(to)})`;
    }
    const narrow = block.room === 'narrow' ? ': narrow' : '';
    return `read window ${us(from)} to ${us(to)}, ${us(to - from)} wide${narrow}`;
  }

  // A file's pictures, under the first line of its report.
  function showPictures(file) {
    const section = document.createElement('section');
    section.className = 'file-pictures';
    const title = document.createElement('h3');
    title.textContent = file.text.split('\n')[0];
    section.append(title);
    for (const block of file.blocks) {
      const figure = document.createElement('figure');
      figure.className = `block-picture room-${block.found ? block.room : 'none'}`;
      figure.dataset.room = block.found ? block.room : 'none';
      figure.dataset.label = block.label;
      const caption = document.createElement('figcaption');
      if (!block.found) {
        caption.textContent = `${block.label}: not found`;
        figure.append(caption);
        section.append(figure);
        continue;
      }
      figure.append(histogramPicture(block));
      const room = document.createElement('span');
      room.className = 'room';
      room.textContent = windowText(block);
      caption.append(`${block.label} at ${recordingTime(block.start)}, ${block.length} bytes: `,
                     room);
      figure.append(caption);
      if (block.spot) {
        const spot = block.spot;
        figure.append(spotPicture(spot, file.inverted));
        const where = document.createElement('figcaption');
        const byte = spot.byte >= block.length ? 'the checksum' : `byte ${spot.byte}`;
        const reading = spot.copy ? 'The copy' : block.copyFound ? 'The first block' : 'It';
        where.textContent = `${reading} went wrong at ${byte} ` +
          '(dashed): each pulse\'s HIGH time as read, violet long, blue short, red damage; ' +
          'ticks at the read point.';
        figure.append(where);
      }
      section.append(figure);
    }
    pictures.append(section);
  }

  function showReadFile(file) {
    offerReadFile(file);
    showPictures(file);
  }

  // The whole recording goes to the core at once: the reader itself streams,
  // but the page holds the file it was given.
  async function readRecording(file) {
    const choice = ++reading;
    withdrawReadFiles();
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
    result.files.forEach(showReadFile);
    offerMzt(result.mzt, file.name);
  }

  // The audio input's samples, one channel (the first), posted to the page
  // a few thousand at a time; "flush" posts what is left and ends.
  const captureProcessor = `
    class KvetroCapture extends AudioWorkletProcessor {
      constructor() {
        super();
        this.block = new Float32Array(2048);
        this.filled = 0;
        this.port.onmessage = () => {
          this.port.postMessage({ samples: this.block.slice(0, this.filled), last: true });
          this.filled = 0;
        };
      }
      process(inputs) {
        const channel = inputs[0] && inputs[0][0];
        for (let at = 0; channel && at < channel.length;) {
          const count = Math.min(channel.length - at, this.block.length - this.filled);
          this.block.set(channel.subarray(at, at + count), this.filled);
          this.filled += count;
          at += count;
          if (this.filled === this.block.length) {
            this.port.postMessage({ samples: this.block, last: false }, [this.block.buffer]);
            this.block = new Float32Array(2048);
            this.filled = 0;
          }
        }
        return true;
      }
    }
    registerProcessor('kvetro-capture', KvetroCapture);`;

  // The level shown: the loudest sample of the last quarter second, in dB of
  // full scale. A tape's pulses read best well above the hiss and below
  // full scale.
  const levelSeconds = 0.25;
  const quietDb = -30;
  const clippingDb = -0.2;

  function showLevel(session) {
    const db = session.peak > 0 ? Math.max(-60, 20 * Math.log10(session.peak)) : -60;
    level.value = db;
    levelText.textContent = `${db.toFixed(0)} dB`;
    const [hint, kind] = db < quietDb ? ['too quiet: turn the volume up', 'quiet']
      : db >= clippingDb ? ['clipping: turn the volume down', 'clipping']
        : ['good level', ''];
    levelHint.textContent = hint;
    levelHint.className = kind;
    elapsed.textContent = clock(session.samples / session.rate);
    session.peak = 0;
    session.shownAt = session.samples;
  }

  function setRecording(running) {
    recordButton.disabled = running || !navigator.mediaDevices;
    recordStopButton.disabled = !running;
    wavInput.disabled = running;
  }

  // Each block of samples goes to the core as it comes; the files it
  // completes appear at once.
  function takeSamples(session, message) {
    if (session.finished) {
      return;
    }
    const samples = message.samples;
    for (const sample of samples) {
      session.peak = Math.max(session.peak, Math.abs(sample));
    }
    session.samples += samples.length;
    for (const file of session.live.feed(samples)) {
      session.text += file.text;
      report.textContent = session.text;
      showReadFile(file);
    }
    if (session.samples - session.shownAt >= levelSeconds * session.rate) {
      showLevel(session);
    }
    if (message.last) {
      finishRecording(session);
    }
  }

  function closeInput(session) {
    for (const track of session.stream.getTracks()) {
      track.stop();
    }
    if (session.context) {
      session.context.close();
    }
  }

  // Stop ends the reading as the end of a file does: the files not read
  // whole are reported, and offered as NAME.bad.mzf.
  function finishRecording(session) {
    session.finished = true;
    closeInput(session);
    const end = session.live.finish();
    session.live.delete();
    session.text += end.text;
    report.textContent = session.text;
    end.files.forEach(showReadFile);
    offerMzt(end.mzt, 'recording');
    showLevel(session);
    recorder = null;
    setRecording(false);
  }

  function stopRecording() {
    if (recorder) {
      recordStopButton.disabled = true;
      recorder.node.port.postMessage('flush');
    }
  }

  // The device's audio input without the browser's echo cancellation, noise
  // suppression and automatic gain, each of which bends the pulses, read at
  // the device's own rate.
  async function record() {
    ++reading;
    withdrawReadFiles();
    setRecording(true);
    recordStopButton.disabled = true;
    showReadMessage('Opening the audio input\u2026', 'warning');
    const session = { samples: 0, peak: 0, shownAt: 0, text: '' };
    try {
      session.stream = await navigator.mediaDevices.getUserMedia({
        audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false },
      });
      const rate = session.stream.getAudioTracks()[0].getSettings().sampleRate;
      try {
        session.context = new AudioContext(rate ? { sampleRate: rate } : {});
      } catch (error) {
        session.context = new AudioContext();
      }
      // As a data: URL, which a page opened from disk may load as well.
      await session.context.audioWorklet.addModule(
        `data:text/javascript,${encodeURIComponent(captureProcessor)}`);
      session.rate = session.context.sampleRate;
      session.node = new AudioWorkletNode(session.context, 'kvetro-capture',
                                          { numberOfInputs: 1, numberOfOutputs: 0 });
      session.live = new core.LiveRecording(session.rate, 'recording');
      const refusal = session.live.refusal();
      if (refusal !== null) {
        throw new Error(refusal);
      }
      session.text = session.live.head();
      session.node.port.onmessage = (event) => takeSamples(session, event.data);
      session.context.createMediaStreamSource(session.stream).connect(session.node);
      await session.context.resume();
    } catch (error) {
      if (session.stream) {
        closeInput(session);
      }
      if (session.live) {
        session.live.delete();
      }
      setRecording(false);
      showReadMessage(`Cannot record: ${error.message || error}`, 'refusal');
      return;
    }
    recorder = session;
    report.textContent = session.text;
    showReadMessage('', '');
    liveView.hidden = false;
    showLevel(session);
    recordStopButton.disabled = false;
  }

  // As the report gives places in the recording: m:ss.s.
  function recordingTime(seconds) {
    const tenths = Math.round(Math.max(seconds, 0) * 10);
    return `${Math.floor(tenths / 600)}:${((tenths % 600) / 10).toFixed(1).padStart(4, '0')}`;
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

  // The rate starts at the one the device's sound output runs at, where
  // the browser tells it, so that a phone gets the WAV it plays as it is.
  function startAtDeviceRate(range) {
    let rate = 0;
    try {
      const probe = new AudioContext();
      rate = probe.sampleRate;
      probe.close();
    } catch (error) {
      return;
    }
    if (!(rate >= range.min && rate <= range.max)) {
      return;
    }
    if (![...rateInput.options].some((option) => Number(option.value) === rate)) {
      rateInput.add(new Option(`${rate} Hz`, String(rate)));
    }
    rateInput.value = String(rate);
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
    startAtDeviceRate(ranges.rate);
    rateInput.addEventListener('change', describe);
    fileInput.addEventListener('change', () => {
      if (fileInput.files.length > 0) {
        chooseFiles([...fileInput.files]);
      }
    });
    wavInput.addEventListener('change', () => {
      if (wavInput.files.length > 0) {
        readRecording(wavInput.files[0]);
      }
    });
    wavInput.disabled = false;
    setRecording(false);
    recordButton.addEventListener('click', record);
    recordStopButton.addEventListener('click', stopRecording);
    convertButton.addEventListener('click', convert);
    playButton.addEventListener('click', play);
    stopButton.addEventListener('click', stop);

    // A file dropped on the read panel is a recording to read; files dropped
    // anywhere else are taken as the chosen tape, unless the settings are
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
        if (!recorder) {
          readRecording(files[0]);
        }
      } else if (!player) {
        chooseFiles([...files]);
      }
    });
    setLocked(false);
  }

  KvetroCore().then(start, (error) => {
    showMessage(`This browser cannot run the converter: ${error}`, 'refusal');
  });
})();
