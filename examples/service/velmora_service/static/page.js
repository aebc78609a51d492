// The demo page: starts the collector, submits on the button, shows the verdict and
// draws the pointer trail that was sent. The last exchange stays in window.velmoraLast.
(function () {
  "use strict";
  const collector = new VelmoraCollector();
  collector.start();
  const $ = (id) => document.getElementById(id);

  function drawTrail(canvas, telemetry) {
    const ctx = canvas.getContext("2d");
    ctx.clearRect(0, 0, canvas.width, canvas.height);
    const scale = Math.min(canvas.width / window.innerWidth, canvas.height / window.innerHeight);
    const points = telemetry.mouse_movements;
    ctx.lineWidth = 2;
    for (let i = 1; i < points.length; i += 1) {
      const share = i / points.length;
      ctx.strokeStyle = `rgb(${Math.round(255 * share)}, 60, ${Math.round(255 * (1 - share))})`;
      ctx.beginPath();
      ctx.moveTo(points[i - 1].x * scale, points[i - 1].y * scale);
      ctx.lineTo(points[i].x * scale, points[i].y * scale);
      ctx.stroke();
    }
    ctx.strokeStyle = "#222";
    for (const c of telemetry.clicks) {
      ctx.beginPath();
      ctx.arc(c.x * scale, c.y * scale, 5, 0, 2 * Math.PI);
      ctx.stroke();
    }
  }

  function show(outcome) {
    const body = outcome.body;
    $("result").hidden = false;
    if (outcome.status === 200) {
      $("verdict").textContent = body.verdict;
      $("verdict").className = body.verdict;
      $("score").textContent = `(score ${body.score.toFixed(2)})`;
      $("reasons").textContent = (body.reasons.length ? "Reasons: " + body.reasons.join("; ") : "No reasons given.") +
        (body.challenge ? " (" + body.challenge + ")" : "");
      const f = body.features;
      $("summary").textContent = `Pointer samples: ${f.mouse_points}; key presses: ${f.key_count}; ` +
        `clicks: ${f.click_count}; curvature score: ${f.curvature_score}; webdriver: ${f.webdriver}`;
    } else {
      $("verdict").textContent = `refused (${outcome.status})`;
      $("verdict").className = "refused";
      $("score").textContent = "";
      $("reasons").textContent = body.error || "";
      $("summary").textContent = "";
    }
    drawTrail($("trail"), outcome.sent.telemetry);
  }

  $("submit").addEventListener("click", async () => {
    $("submit").disabled = true;
    try {
      const outcome = await collector.submit("");
      window.velmoraLast = outcome;
      show(outcome);
    } catch (err) {
      window.velmoraLast = { status: 0, body: { error: String(err) }, sent: null };
      $("result").hidden = false;
      $("verdict").textContent = "request failed: " + err;
    } finally {
      $("submit").disabled = false;
    }
  });
  window.velmoraCollector = collector;
})();
